#!/usr/bin/env bash
# Summoning by the hotkey: the panel drops down, becomes the active window with the focus on
# "連番入力", and the mouse pointer jumps onto that button. Wine's X11 driver does not deliver
# the modifier-only hotkey Ctrl+Shift, so the probe posts the WM_HOTKEY the system would send.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
# Registered once per press (no repeats while held); whether Windows then sends only one
# WM_HOTKEY cannot be seen here, but the registration with that flag holds the keys.
kx_probe hotkey-taken || kx_fail "the program does not hold the hotkey Ctrl+Shift"
kx_copy 'summoned text'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'summoned text'
xdotool mousemove 20 700

kx_probe hotkey TForm3
kx_wait 10 "expanded panel" kx_panel_expanded
[ "$(kx_panel_height)" -eq 80 ] || kx_fail "panel height $(kx_panel_height), expected 80"
focus_on_button23() { [ "$(kx_probe focus TForm3)" = "Button	連番入力" ]; }
kx_wait 10 "the focus on 連番入力" focus_on_button23
read -r bx by <<<"$(kx_probe child-origin TForm3 連番入力)"
eval "$(xdotool getmouselocation --shell)"
[ "$X" -eq "$bx" ] && [ "$Y" -eq "$by" ] || kx_fail "pointer at $X,$Y, button at $bx,$by"
