#!/usr/bin/env bash
# Builds Kolvex20.exe and runs it under Wine with a Japanese system (code page 932).
#
#   scripts/run-kolvex.sh [DATA_FOLDER]
#
# The program keeps its 21 files in DATA_FOLDER (default build/win32/run/data). With $DISPLAY set
# it runs on that display until it is closed from its tray menu ("閉じる"); without it, it runs on
# a private Xvfb just long enough for a screenshot, then everything is stopped again; there it
# first copies a few sample texts (one Japanese, one of several lines) so that the pictures show
# the history at work, and after the panel it photographs the settings window that the panel's
# button 連番入力 opens. Either way a screenshot of the screen with the panel dropped down is
# saved and its path printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
. "$root/scripts/wine-env.sh"
kx_check_locale

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kolvex20 kolvex-probe
exe="$root/build/win32/Kolvex20.exe"
probe="$root/build/win32/e2e/kolvex-probe.exe"
run="$root/build/win32/run"
data="$(mkdir -p "${1:-$run/data}" && cd "${1:-$run/data}" && pwd)"

xvfb_pid="" wm_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wm_pid" ]; then kill "$wm_pid" >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

if [ -n "${DISPLAY:-}" ]; then
  prefix="$run/prefix"
  kx_prepare_prefix "$prefix"
  kx_wine_env "$prefix"
else
  prefix="$run/prefix-xvfb"
  kx_prepare_prefix "$prefix" own-frames
  kx_wine_env "$prefix"
  kx_start_xvfb
  xvfb_pid=$KX_XVFB_PID
  # A desktop has a window manager: it stacks and activates the windows (Wine draws the frames).
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  trap cleanup EXIT
  echo "no DISPLAY: running on a private Xvfb ($DISPLAY)"
fi

echo "data folder: $data"
(cd "$data" && exec wine "$exe") &
app=$!
if ! wine "$probe" wait-window TForm3 60000 >/dev/null; then
  echo "Kolvex20's panel did not appear" >&2
  exit 1
fi
# Crops a window (default the panel) out of the screen into a picture.
panel_shot() {
  local file=$1 r
  r=$(wine "$probe" rect "${2:-TForm3}")
  wine "$probe" screenshot "$file" $r >/dev/null
}

if [ -n "$xvfb_pid" ]; then
  # On its own display, show the program doing its job: another program copies a few texts
  # (one Japanese, one of several lines), each one enters the history.
  samples=("Kolvex20 へようこそ：コピーした文字列を 20 個まで記録します"
    $'買い物メモ\r\n・牛乳\r\n・パン\r\n・卵'
    "https://example.com/docs/clipboard-history"
    "SELECT name, price FROM items WHERE price < 500;")
  for text in "${samples[@]}"; do
    printf '%s' "$text" | wine "$probe" copy-text >/dev/null
    first_line=${text%%$'\r'*}
    for _ in $(seq 1 50); do
      case "$(wine "$probe" title TForm3)" in *"$first_line"*) break ;; esac
      sleep 0.2
    done
  done
  sleep 0.5
  panel_shot "$run/panel-strip.png"
  echo "screenshot of the panel's strip: $run/panel-strip.png"
fi
# Drop the panel down (as a left click on the tray icon does) for the picture.
wine "$probe" tray TForm3 513
sleep 1
shot="$run/screenshot.png"
wine "$probe" screenshot "$shot" >/dev/null
echo "screenshot: $shot"
if [ -n "$xvfb_pid" ]; then
  panel_shot "$run/panel-expanded.png"
  echo "screenshot of the dropped-down panel: $run/panel-expanded.png"
  # The panel's button 連番入力 opens the sequence settings window (連番設定), clicked as a
  # user does; nothing is started from it.
  read -r x y <<<"$(wine "$probe" child-origin TForm3 "連番入力")"
  wine "$probe" send-click $((x + 6)) $((y + 7)) >/dev/null
  if ! wine "$probe" wait-window TForm1 10000 >/dev/null; then
    echo "the settings window did not open" >&2
    exit 1
  fi
  sleep 1
  panel_shot "$run/settings-window.png" TForm1
  echo "screenshot of the settings window: $run/settings-window.png"
fi

if [ -n "$xvfb_pid" ]; then
  exit 0
fi
echo "Kolvex20 is running; close it from its tray icon's menu (閉じる)."
wait "$app"
