# Environment for running Kolvex20.exe under Wine with a Japanese system code page (932).
# Source it: `. scripts/wine-env.sh`. Functions:
#   kx_wine_env PREFIX        export the variables for a Wine prefix
#   kx_prepare_prefix PREFIX [own-frames]
#                             create and boot a prefix (first boot takes a while); with
#                             "own-frames" Wine draws every window's frame and title bar itself,
#                             as Windows does, and asks the window manager for no decorations
#                             (the window manager still stacks, places and activates them)
#   kx_clone_prefix SRC DST   cheap copy of a booted prefix (hard links; the files Wine
#                             rewrites are copied)
#   kx_start_xvfb             start a private Xvfb; sets KX_XVFB_PID and DISPLAY

kx_wine_env() {
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono/Gecko installer dialogs: the program needs neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The wineserver takes its code page from the locale it starts with: CP932.
  export LC_ALL=ja_JP.UTF-8
  export LANG=ja_JP.UTF-8
}

kx_check_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "the ja_JP.UTF-8 locale is missing; generate it with:" >&2
    echo "  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen && locale-gen" >&2
    return 1
  fi
}

kx_prepare_prefix() {
  local prefix="$1" mode="${2:-}"
  kx_check_locale || return 1
  # A prefix prepared with other settings is prepared again.
  if [ "$(cat "$prefix/.kolvex-ready" 2>/dev/null)" = "mode ${mode:-default}" ]; then return 0; fi
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  (
    kx_wine_env "$prefix"
    wineboot -i >/dev/null 2>&1
    if [ "$mode" = own-frames ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    fi
    wineserver -w
  ) || return 1
  echo "mode ${mode:-default}" >"$prefix/.kolvex-ready"
}

kx_clone_prefix() {
  local src="$1" dst="$2"
  rm -rf "$dst"
  cp -al "$src" "$dst" || return 1
  # Files that Wine writes while it runs must not be shared with the template.
  local f
  for f in "$src"/*.reg "$src"/drive_c/windows/*.ini; do
    [ -e "$f" ] || continue
    cp --remove-destination "$f" "$dst/${f#"$src"/}"
  done
}

kx_start_xvfb() {
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KX_XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}
