# Shared steps of the end-to-end scenarios. Each scenario gets its own Xvfb, its own copy of the
# booted Wine prefix (so its own wineserver, started with the Japanese locale) and its own data
# folder under $KOLVEX_E2E_DIR/<name>. Everything started here is stopped on exit.
set -euo pipefail
. "$KOLVEX_SOURCE_DIR/scripts/wine-env.sh"

# A scenario run more than once (at another DPI) names each run.
KX_NAME="${KX_NAME:-$(basename "$0" .sh)}"
KX_WORK="$KOLVEX_E2E_DIR/$KX_NAME"
KX_DATA="$KX_WORK/data"
KX_ARTIFACTS="$KOLVEX_E2E_DIR/artifacts"
KX_PIDS=()
KX_START=$(date +%s)

kx_cleanup() {
  local status=$?
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  local pid
  for pid in "${KX_PIDS[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  if [ -n "${KX_XVFB_PID:-}" ]; then kill "$KX_XVFB_PID" >/dev/null 2>&1 || true; fi
  wait >/dev/null 2>&1 || true
  if [ -n "${KX_FAT:-}" ]; then bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" unmount "$KX_FAT"; fi
  if [ $status -eq 0 ]; then
    echo "PASS $KX_NAME in $(( $(date +%s) - KX_START )) s"
  else
    echo "FAIL $KX_NAME (work folder: $KX_WORK)"
  fi
}

kx_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

kx_setup() {
  [ -f "$KOLVEX_E2E_DIR/prefix-template/.kolvex-ready" ] || kx_fail "no booted prefix (run e2e_wine_prefix)"
  bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" unmount "$KX_WORK/fat" 2>/dev/null || true
  rm -rf "$KX_WORK"
  mkdir -p "$KX_DATA" "$KX_ARTIFACTS"
  trap kx_cleanup EXIT
  if [ "${KX_VOLUME:-}" = fat ]; then kx_data_on_fat; fi
  kx_clone_prefix "$KOLVEX_E2E_DIR/prefix-template" "$KX_WORK/prefix"
  kx_wine_env "$KX_WORK/prefix"
  kx_start_xvfb
  # Start the wineserver and the desktop process before timing anything.
  wine "$KOLVEX_PROBE" count-windows TForm3 Kolvex20 >/dev/null
}

# With KX_VOLUME=fat the data folder is on a FAT32 volume, as on a USB stick (no links); a
# machine without FUSE skips the scenario and says why.
kx_data_on_fat() {
  local why
  if ! why=$(bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" check); then
    echo "SKIP $KX_NAME: no FAT32 volume on this machine: $why"
    trap - EXIT
    exit 77
  fi
  bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" mount "$KX_WORK/fat.img" "$KX_WORK/fat" 256 ||
    kx_fail "the FAT32 volume could not be mounted"
  KX_FAT="$KX_WORK/fat"
  KX_DATA="$KX_FAT/data"
  mkdir -p "$KX_DATA"
}

# Runs the probe; its output is UTF-8.
kx_probe() { wine "$KOLVEX_PROBE" "$@"; }

# Starts Kolvex20.exe in a folder (default: the scenario's data folder); sets KX_APP_PID.
kx_start_app() {
  local dir="${1:-$KX_DATA}"
  (cd "$dir" && exec wine "$KOLVEX_EXE") >"$KX_WORK/app.log" 2>&1 &
  KX_APP_PID=$!
  KX_PIDS+=("$KX_APP_PID")
}

# kx_wait SECONDS DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
kx_wait() {
  local limit=$1 what=$2
  shift 2
  local end=$(( $(date +%s) + limit ))
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -lt "$end" ] || kx_fail "timed out after ${limit} s waiting for: $what"
    sleep 0.2
  done
}

kx_wait_panel() { kx_wait 30 "the panel window" kx_probe wait-window TForm3 1000; }

# Driving the desktop as a user does. Scenarios use only these (and kx_copy), so that how input
# reaches the desktop is decided in one place. Key names are X keysym names ("ctrl+v", "Return",
# "Control_L", "shift").
kx_move() { xdotool mousemove "$1" "$2"; }
kx_click() { # kx_click X Y [BUTTON]: moves there, pauses as a hand does, clicks
  xdotool mousemove "$1" "$2"
  sleep 0.15
  xdotool click "${3:-1}"
}
kx_key() { xdotool key "$@"; }
kx_keydown() { xdotool keydown "$1"; }
kx_keyup() { xdotool keyup "$1"; }
kx_type() { xdotool type --delay 60 "$1"; }

# Starts a window manager on the scenario's display, as every desktop has one.
kx_start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  KX_PIDS+=("$!")
  kx_wait 10 "the window manager" xprop -root _NET_SUPPORTING_WM_CHECK
}

# Copies a text to the X11 clipboard (xclip serves it until the next copy).
kx_copy() { printf '%s' "$1" | xclip -selection clipboard 2>/dev/null; }

# Copies ASCII texts one after another, each stored in the next slot (from slot FIRST on).
kx_copy_into_slots() { # kx_copy_into_slots FIRST TEXT...
  local slot=$1 t
  shift
  for t in "$@"; do
    kx_copy "$t"
    kx_wait 30 "slot $slot file" kx_file_is "$KX_DATA/Kolvex$slot.txt" "$t"
    slot=$((slot + 1))
  done
}

# Drops the panel down with a left click on the tray icon.
kx_expand_from_tray() {
  kx_probe tray TForm3 513
  kx_wait 10 "expanded panel" kx_panel_expanded
  sleep 0.3
}

# True when FILE holds exactly the bytes of STRING (compared afresh on every call).
kx_file_is() { [ -f "$1" ] && [ "$(od -An -tx1 "$1" | tr -d ' \n')" = "$(kx_hex "$2")" ]; }

kx_title_is() { [ "$(kx_probe title TForm3)" = "$1" ]; }

# Outer height of the panel in pixels.
kx_panel_height() {
  local r
  r=$(kx_probe rect TForm3)
  set -- $r
  echo $(( $4 - $2 ))
}

kx_panel_expanded() { [ "$(kx_panel_height)" -gt 50 ]; }

# A point in the middle of the panel's part of the screen: "x y".
kx_panel_middle() {
  local l t r b
  read -r l t r b <<<"$(kx_probe rect TForm3)"
  [ "$t" -ge 0 ] || t=0
  echo "$(( (l + r) / 2 )) $(( (t + b) / 2 ))"
}

# The window of CLASS lies over the middle of the panel's place (so that it would cover the
# panel if the panel were not top-most).
kx_over_panel() {
  local x y l t r b
  read -r x y <<<"$(kx_panel_middle)"
  read -r l t r b <<<"$(kx_probe rect "$1")"
  [ "$l" -le "$x" ] && [ "$x" -lt "$r" ] && [ "$t" -le "$y" ] && [ "$y" -lt "$b" ] ||
    kx_fail "$1 ($l $t $r $b) does not lie over the panel's middle $x,$y"
}

# The panel has the top-most style and nothing covers it at its middle in the z-order, as
# WindowFromPoint reads it. (Without a window manager Wine's X11 driver maps a window shown later
# above all others on the display, whatever the z-order says: there the X11 pointer still reaches
# that window until the panel is raised again, by a tray click for one.)
kx_panel_on_top() { # kx_panel_on_top AFTER_WHAT
  kx_probe topmost TForm3 || kx_fail "the panel is not top-most after $1"
  local at
  at=$(kx_probe window-at $(kx_panel_middle))
  [ "$at" = TForm3 ] || kx_fail "$at covers the panel after $1"
}

# Saves a screenshot of the whole screen and of the panel alone.
kx_screenshot() {
  local name=$1 r
  import -window root "$KX_ARTIFACTS/$name-screen.png"
  r=$(kx_probe rect TForm3)
  set -- $r
  local left=$(( $1 < 0 ? 0 : $1 )) top=$(( $2 < 0 ? 0 : $2 ))
  import -window root -crop "$(( $3 - left ))x$(( $4 - top ))+$left+$top" +repage \
    "$KX_ARTIFACTS/$name.png"
  echo "screenshot: $KX_ARTIFACTS/$name.png"
}

# Closes the program as the user does: right click on the tray icon, then "閉じる" in its menu.
kx_close_from_tray() {
  kx_probe tray TForm3 516
  local r
  r=$(kx_probe menu-rect 10000) || kx_fail "the tray menu did not open"
  set -- $r
  xdotool mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 ))
  sleep 0.2
  xdotool click 1
  kx_wait 30 "Kolvex20 to end" kx_not_running "$KX_APP_PID"
}

kx_not_running() { ! kill -0 "$1" 2>/dev/null; }

kx_hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
