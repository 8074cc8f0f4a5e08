# Self-checking numbered texts and the slot files that hold them (see slot_texts.py), and the
# Linux side of the Wine process that runs Kolvex20.exe. Source after lib.sh.

KX_TEXTS_PY="$KOLVEX_SOURCE_DIR/tests/e2e/slot_texts.py"

# kx_text ID SIZE: path of text ID of SIZE bytes, written once into the scenario's texts folder.
kx_text() {
  local path="$KX_WORK/texts/$1-$2"
  if [ ! -f "$path" ]; then
    mkdir -p "$KX_WORK/texts"
    python3 "$KX_TEXTS_PY" write "$1" "$2" "$path"
  fi
  echo "$path"
}

# One word per slot file of the data folder: the id of the whole text it holds, "empty",
# "missing" or "torn".
kx_slot_ids() { python3 "$KX_TEXTS_PY" ids "${1:-$KX_DATA}"; }

# The Linux pid of the Wine process that runs Kolvex20.exe in this scenario's prefix (the
# process whose own name is the exe; the launcher around it has other names).
kx_exe_pid() {
  local p name
  for p in $(pgrep -f -- "$(basename "$KOLVEX_EXE")"); do
    name=$({ tr '\0' '\n' <"/proc/$p/cmdline"; } 2>/dev/null | head -1) || continue
    [ "${name##*[/\\]}" = "$(basename "$KOLVEX_EXE")" ] || continue
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$p"
    return 0
  done
  return 1
}

# Resident memory of a Linux process in KiB.
kx_rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
