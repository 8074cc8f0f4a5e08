# Shared steps of the end-to-end scenarios. Each scenario gets its own Xvfb, its own copy of the
# booted Wine prefix (so its own wineserver, started with the Japanese locale) and its own data
# folder under $KOLVEX_E2E_DIR/<name>. Everything started here is stopped on exit.
set -euo pipefail
. "$KOLVEX_SOURCE_DIR/scripts/wine-env.sh"

# On Windows (Git Bash or MSYS2) the scenarios run the programs themselves on the user's own
# desktop: "wine PROGRAM" runs PROGRAM, and there is no prefix, display or window manager to set up.
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) KX_ON_WINDOWS=1 ;;
  *) KX_ON_WINDOWS="" ;;
esac
if [ -n "$KX_ON_WINDOWS" ]; then
  wine() { "$@"; }
  winepath() { cygpath "$@"; } # "winepath -w PATH": the Windows form of a path
fi

# A scenario that needs what only Wine has says so and is skipped on Windows (ctest reports the
# exit code 77 as skipped).
kx_wine_only() { # kx_wine_only REASON
  if [ -n "$KX_ON_WINDOWS" ]; then
    echo "SKIPPED on Windows: $1"
    exit 77
  fi
}

# A check of what only a real Windows shows: true on Windows; under Wine it says why it cannot
# be shown here and is false, so that the check is neither failed nor passed without a word.
kx_windows_only() { # if kx_windows_only REASON [WHAT]; then CHECK; fi
  [ -n "$KX_ON_WINDOWS" ] && return 0
  echo "needs ${2:-Windows}: $1"
  return 1
}

# A scenario run more than once (at another DPI) names each run.
KX_NAME="${KX_NAME:-$(basename "$0" .sh)}"
KX_WORK="$KOLVEX_E2E_DIR/$KX_NAME"
KX_DATA="$KX_WORK/data"
KX_ARTIFACTS="$KOLVEX_E2E_DIR/artifacts"
KX_PIDS=()
KX_KEYS_DOWN=() # keys pressed and maybe not yet released: a failure lets them go
KX_START=$(date +%s)

kx_cleanup() {
  local status=$?
  # What the screen showed when the scenario failed.
  if [ $status -ne 0 ] && [ $status -ne 77 ] && [ -n "${DISPLAY:-}${KX_ON_WINDOWS}" ]; then
    kx_probe screenshot "$KX_ARTIFACTS/$KX_NAME-failure.png" >/dev/null 2>&1 &&
      echo "screen at the failure: $KX_ARTIFACTS/$KX_NAME-failure.png"
  fi
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  local pid key
  for pid in "${KX_PIDS[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  # On Windows the user's own desktop would keep them held.
  if [ $status -ne 0 ] && [ -n "$KX_ON_WINDOWS" ]; then
    for key in "${KX_KEYS_DOWN[@]}"; do kx_probe send-keyup "$key" >/dev/null 2>&1 || true; done
  fi
  if [ -n "${KX_XVFB_PID:-}" ]; then kill "$KX_XVFB_PID" >/dev/null 2>&1 || true; fi
  wait >/dev/null 2>&1 || true
  if [ -n "${KX_FAT:-}" ]; then bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" unmount "$KX_FAT"; fi
  if [ $status -eq 0 ]; then
    echo "PASS $KX_NAME in $(( $(date +%s) - KX_START )) s"
  elif [ $status -eq 77 ]; then
    echo "SKIPPED $KX_NAME"
  else
    echo "FAIL $KX_NAME (work folder: $KX_WORK)"
  fi
}

kx_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

kx_setup() {
  if [ -n "$KX_ON_WINDOWS" ]; then
    rm -rf "$KX_WORK"
    mkdir -p "$KX_DATA" "$KX_ARTIFACTS"
    trap kx_cleanup EXIT
    return 0
  fi
  [ -f "$KOLVEX_E2E_DIR/prefix-template/.kolvex-ready" ] || kx_fail "no booted prefix (run e2e_wine_prefix)"
  bash "$KOLVEX_SOURCE_DIR/scripts/fat-volume.sh" unmount "$KX_WORK/fat" 2>/dev/null || true
  rm -rf "$KX_WORK"
  mkdir -p "$KX_DATA" "$KX_ARTIFACTS"
  trap kx_cleanup EXIT
  if [ "${KX_VOLUME:-}" = fat ]; then kx_data_on_fat; fi
  kx_clone_prefix "$KOLVEX_E2E_DIR/prefix-template" "$KX_WORK/prefix"
  kx_wine_env "$KX_WORK/prefix"
  # KX_WINEDEBUG: Wine's debug channels for a look at a failure (+timestamp,+pid,+cursor,+event).
  [ -z "${KX_WINEDEBUG:-}" ] || export WINEDEBUG="$KX_WINEDEBUG"
  kx_start_xvfb
  kx_start_wm
  kx_start_session
}

# Starts the wineserver and the desktop process before timing anything. Under Wine one program
# keeps running all along, as a signed-in session's shell does: the desktop and its clipboard end
# with the last program (a copy made while Kolvex20 was not running was seen gone a second later).
kx_start_session() {
  if [ -z "$KX_ON_WINDOWS" ]; then
    wine "$KOLVEX_PROBE" stay >/dev/null 2>&1 &
    KX_PIDS+=($!)
  fi
  wine "$KOLVEX_PROBE" count-windows TForm3 Kolvex20 >/dev/null
}

# The desktop at DPI (144 is 150 %): under Wine set in the scenario's prefix, which restarts
# Wine; Windows changes its scaling only at the next sign-in, so there the scenario runs when
# the desktop is at that scaling already and otherwise says so and is skipped.
kx_at_dpi() { # kx_at_dpi DPI (after kx_setup)
  if [ -n "$KX_ON_WINDOWS" ]; then
    local dpi
    dpi=$(kx_probe screen | cut -d' ' -f3)
    [ "$dpi" = "$1" ] && return 0
    echo "needs Windows at $(($1 * 100 / 96)) %: this desktop is at $((dpi * 100 / 96)) %, and Windows changes the scaling only at the next sign-in"
    exit 77
  fi
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  kx_start_session
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

# kx_read "VAR..." MESSAGE PROBE-ARGS...: the probe's answer into the variables, or the scenario
# fails with MESSAGE (a "read <<<$(...)" alone would take a failed probe's empty answer).
kx_read() {
  local _vars=$1 _message=$2 _answer
  shift 2
  _answer=$(kx_probe "$@") && [ -n "$_answer" ] || kx_fail "$_message"
  # shellcheck disable=SC2086 # the names are split on purpose
  read -r $_vars <<<"$_answer"
}

# Starts Kolvex20.exe in a folder (default: the scenario's data folder); sets KX_APP_PID.
kx_start_app() {
  local dir="${1:-$KX_DATA}"
  (cd "$dir" && exec wine "$KOLVEX_EXE") >"$KX_WORK/app.log" 2>&1 &
  KX_APP_PID=$!
  KX_PIDS+=("$KX_APP_PID")
}

# kx_wait SECONDS DESCRIPTION COMMAND...: polls COMMAND until it succeeds. A wait costs only as
# long as the program takes, so no limit is below 30 s, for a loaded machine (KX_WAIT_SCALE
# multiplies them all); a timeout says what the last try saw.
kx_wait() {
  local limit=$(( ($1 > 30 ? $1 : 30) * ${KX_WAIT_SCALE:-1} )) what=$2 seen
  shift 2
  local end=$(( $(date +%s) + limit ))
  until seen=$("$@" 2>&1); do
    if [ "$(date +%s)" -ge "$end" ]; then
      seen=$(kx_seen "$seen" "$@")
      kx_fail "timed out after ${limit} s waiting for: $what${seen:+ (last seen: $seen)}"
    fi
    sleep 0.2
  done
}
# What a failed wait saw: the command's own words, or the state of the file it looked at.
kx_seen() { # kx_seen OUTPUT COMMAND...
  local out=$1
  shift
  case "$1" in
    kx_file_is)
      if [ -f "$2" ]; then out="$2 holds $(wc -c <"$2") bytes: $(head -c 60 "$2" | od -An -c | tr -s ' \n' ' ')"
      else out="no file $2"; fi ;;
    test) out="test ${*:2} is false" ;;
  esac
  printf '%s' "${out:0:400}" | tr '\n' ' '
}

kx_wait_panel() { kx_wait 30 "the panel window" kx_probe wait-window TForm3 1000; }

# Driving the desktop as a user does, through the system's own input queue and clipboard (the
# probe's SendInput and clipboard writes), the same under Wine and on Windows. Scenarios use only
# these. Key names are X keysym names ("ctrl+v", "Return", "Control_L", "shift", "b").
kx_drive() { # kx_drive WHAT PROBE_ARGS...: runs a probe command; a refusal fails the scenario
  local what=$1 out rc=0
  shift
  out=$(kx_probe "$@") || rc=$?
  # The exit status tells a refusal (1, with its reason) from a probe that never ran or crashed.
  [ "$rc" -eq 0 ] || kx_fail "$what: ${out:-the probe failed} (exit status $rc)"
}
kx_move() { kx_drive "pointer move to $1,$2" send-move "$1" "$2"; }
# kx_click X Y [BUTTON] [COUNT]: moves there, pauses as a hand does, clicks (1 left, 3 right).
kx_click() { kx_drive "click at $1,$2" send-click "$1" "$2" "${3:-1}" "${4:-1}"; }
kx_click_here() { kx_drive "click" send-click-here "${1:-1}" "${2:-1}"; } # where the pointer is
kx_key() { kx_drive "keys $*" send-keys "$@"; }
kx_keydown() { KX_KEYS_DOWN+=("$1"); kx_drive "key $1 down" send-keydown "$1"; }
kx_keyup() { kx_drive "key $1 up" send-keyup "$1"; }
# kx_type TEXT [DELAY_MS]: types TEXT (any Unicode) one character at a time.
kx_type() {
  local out
  out=$(printf '%s' "$1" | kx_probe send-type "${2:-60}") || kx_fail "typing '$1': $out"
}
kx_pointer() { kx_probe pointer; } # prints "x y"
# kx_hold_key NAME / kx_release_key NAME: the key goes down and stays down, repeating at the
# keyboard's own repeat rate as a held key does, until it is released.
kx_hold_key() {
  KX_KEYS_DOWN+=("$1")
  rm -f "$KX_WORK/release-$1"
  kx_probe send-hold "$1" "$KX_WORK/release-$1" >"$KX_WORK/hold-$1.log" 2>&1 &
  KX_HOLD_PID=$!
  KX_PIDS+=("$KX_HOLD_PID")
}
kx_release_key() {
  touch "$KX_WORK/release-$1"
  wait "$KX_HOLD_PID" || kx_fail "holding $1: $(cat "$KX_WORK/hold-$1.log")"
  kx_keyup "$1"
}

# Starts a window manager on the scenario's display, as every desktop has one (kx_setup does;
# a second call finds it running).
kx_start_wm() {
  [ -z "$KX_ON_WINDOWS" ] || return 0
  if [ -n "${KX_WM_PID:-}" ] && kill -0 "$KX_WM_PID" 2>/dev/null; then return 0; fi
  local attempt
  for attempt in 1 2 3; do
    openbox --sm-disable >"$KX_WORK/openbox.log" 2>&1 &
    KX_WM_PID=$!
    KX_PIDS+=("$KX_WM_PID")
    kx_wait 30 "the window manager" kx_wm_settled
    if kx_wm_running; then
      kx_wm_no_moveresize
      return 0
    fi
    # Seen once on a loaded machine: it could not open the display that Xvfb had just reported.
    echo "the window manager ended ($(cat "$KX_WORK/openbox.log")); starting it again" >&2
    sleep 1
  done
  kx_fail "the window manager did not start: $(cat "$KX_WORK/openbox.log")"
}
kx_wm_running() {
  kill -0 "$KX_WM_PID" 2>/dev/null && xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}
# Wine hands a window move (a press on a title bar) to a window manager that offers
# _NET_WM_MOVERESIZE, and the window manager then holds the pointer until X sees the button
# come up: a click sent through SendInput never reaches X, so the pointer would stay held (and
# Wine could no longer move it). Without that offer Wine moves the window itself, as Windows
# does. Read once by each Wine process at its start.
kx_wm_no_moveresize() {
  local supported
  supported=$(xprop -root _NET_SUPPORTED | sed 's/^[^=]*= //; s/, /,/g' | tr ',' '\n' |
    grep -v '^_NET_WM_MOVERESIZE$' | paste -sd, -)
  xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED "$supported"
  ! xprop -root _NET_SUPPORTED | grep -q '_NET_WM_MOVERESIZE\b' ||
    kx_fail "the window manager still offers _NET_WM_MOVERESIZE"
}
kx_wm_settled() { kx_wm_running || ! kill -0 "$KX_WM_PID" 2>/dev/null; }

# Copies a text as another program does (the probe writes it to the clipboard as Unicode text).
kx_copy() {
  local out
  out=$(printf '%s' "$1" | kx_probe copy-text) || kx_fail "copying '$1': $out"
}
# Copies the UTF-8 text of a file.
kx_copy_file() {
  local out
  out=$(kx_probe copy-file "$1") || kx_fail "copying $1: $out"
}
# Prints the clipboard's text (UTF-8, exactly as it is).
kx_clipboard() { kx_probe clip-text; }
# Windows only: prints the texts in the system's clipboard history, one a line as hex of UTF-8;
# fails saying why when the history cannot be read.
kx_clipboard_history() {
  powershell.exe -NoProfile -NonInteractive -ExecutionPolicy Bypass \
    -File "$(cygpath -w "$KOLVEX_SOURCE_DIR/tests/e2e/clipboard_history.ps1")" | tr -d '\r'
}

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

# The window of CLASS keeps its place and size for half a second (under the window manager a
# maximised or restored window may still be moving when Wine has reported it done).
kx_window_still() {
  local a b
  a=$(kx_probe rect "$1")
  sleep 0.5
  b=$(kx_probe rect "$1")
  [ "$a" = "$b" ] || { echo "$1 moved from $a to $b"; return 1; }
}

# True when FILE holds exactly the bytes of STRING (compared afresh on every call).
kx_file_is() { [ -f "$1" ] && [ "$(od -An -tx1 "$1" | tr -d ' \n')" = "$(kx_hex "$2")" ]; }

kx_title_is() { [ "$(kx_probe title TForm3)" = "$1" ]; }
# The window of CLASS is the foreground window and its thread's active one (for a wait: says
# which are when it is not).
kx_in_front() {
  local seen
  seen=$(kx_probe active "$1")
  [ "$seen" = "$1	$1" ] || { echo "foreground and active: ${seen:-none}"; return 1; }
}

# Outer height of the panel in pixels.
kx_panel_height() {
  local r
  r=$(kx_probe rect TForm3)
  set -- $r
  echo $(( $4 - $2 ))
}

kx_panel_expanded() { [ "$(kx_panel_height)" -gt 50 ]; }
# The same for a wait: says where the panel is when it is not down.
kx_panel_down() { kx_panel_expanded || { echo "panel at $(kx_probe rect TForm3)"; return 1; }; }

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
# WindowFromPoint reads it.
kx_panel_on_top() { # kx_panel_on_top AFTER_WHAT
  kx_probe topmost TForm3 || kx_fail "the panel is not top-most after $1"
  local at middle
  middle=$(kx_panel_middle)
  at=$(kx_probe window-at $middle) || at="no window"
  [ "$at" = TForm3 ] || kx_fail "$at covers the panel at $middle after $1"
}

# Saves a screenshot of the whole screen and of the panel alone.
kx_screenshot() {
  local name=$1 out
  out=$(kx_probe screenshot "$KX_ARTIFACTS/$name-screen.png") || kx_fail "screenshot: $out"
  out=$(kx_probe screenshot "$KX_ARTIFACTS/$name.png" $(kx_probe rect TForm3)) ||
    kx_fail "screenshot of the panel: $out"
  echo "screenshot: $KX_ARTIFACTS/$name.png"
}
# kx_save_screen FILE [LEFT TOP RIGHT BOTTOM]: the screen, or that part of it, as a PNG.
kx_save_screen() {
  local out
  out=$(kx_probe screenshot "$@") || kx_fail "screenshot $1: $out"
}
# kx_screen_colours LEFT TOP RIGHT BOTTOM [RRGGBB]: "darkest bluest count" of that part of the
# screen: the lowest (r+g+b)/3, the highest b-r, and how many pixels have the colour RRGGBB.
# Use it as an assignment (colours=$(kx_screen_colours ...)): a failed reading ends the scenario.
kx_screen_colours() {
  local out rc=0
  out=$(kx_probe colours "$@") || rc=$?
  [ "$rc" -eq 0 ] && [[ "$out" =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+$ ]] ||
    kx_fail "reading the screen at $* (exit code $rc): ${out:-the probe printed nothing}"
  echo "$out"
}

# "left top right bottom WHERE" of the program's notification-area icon, where WHERE is the
# class of the window that shows it (Wine's own tray window, the taskbar Shell_TrayWnd, an
# opened overflow); fails when there is none.
kx_tray_icon_rect() {
  if [ -n "$KX_ON_WINDOWS" ]; then
    kx_probe tray-rect TForm3
  else
    local r
    r=$(kx_probe titled-rects "Wine System Tray" | sed -n 2p) && [ -n "$r" ] && echo "$r wine"
  fi
}

# Closes the program as the user does: right click on the tray icon, then "閉じる" in its menu.
kx_close_from_tray() {
  kx_probe tray TForm3 516
  local r
  r=$(kx_probe menu-rect 30000) || kx_fail "the tray menu did not open"
  set -- $r
  kx_click $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 ))
  kx_wait 30 "Kolvex20 to end" kx_not_running "$KX_APP_PID"
}

kx_not_running() { ! kill -0 "$1" 2>/dev/null; }

kx_hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
