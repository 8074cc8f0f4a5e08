#!/usr/bin/env bash
# The panel stays above the other programs, as a top-most window does on Windows ("A window that
# is topmost stays above all non-topmost windows, even when it is deactivated"): above notepad
# opened after it, and above notepad maximised. Each time the user's own click on the panel
# (連番入力) reaches the panel and opens the settings window, and nothing of notepad covers the
# panel's middle.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 'above the others'
wine notepad >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "notepad" kx_probe wait-window Notepad 1000

settings_shown() { kx_probe wait-window TForm1 200; }
settings_gone() { ! kx_probe wait-window TForm1 200; }
# The panel dropped down from the tray icon, then 連番入力 clicked where the user sees it.
click_run_button() { # click_run_button AFTER_WHAT
  local x y
  kx_expand_from_tray
  kx_panel_on_top "$1"
  kx_read "x y" "no 連番入力 button" child-origin TForm3 "連番入力"
  kx_click $((x + 6)) $((y + 7))
  kx_wait 10 "the settings window after a click on the panel $1" settings_shown
  kx_read "x y" "no 閉じる in sight" shown-child-center TForm1 "閉じる"
  kx_click "$x" "$y"
  kx_wait 10 "the settings window to close" settings_gone
}

kx_over_panel Notepad
click_run_button "notepad opened after it"
kx_screenshot topmost-over-later

kx_probe syscommand Notepad maximize
maximised() {
  local l t r b
  read -r l t r b <<<"$(kx_probe rect Notepad)"
  [ "$l" -le 0 ] && [ "$t" -le 0 ] && [ "$r" -ge 1280 ] && [ $((b - t)) -ge 700 ] ||
    { echo "notepad at $l $t $r $b"; return 1; }
}
kx_wait 10 "notepad maximised" maximised
click_run_button "notepad maximised"
kx_screenshot topmost-over-maximised
