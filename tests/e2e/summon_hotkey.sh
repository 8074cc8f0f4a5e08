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
kx_move 20 700

kx_probe hotkey TForm3
kx_wait 10 "expanded panel" kx_panel_expanded
[ "$(kx_panel_height)" -eq 80 ] || kx_fail "panel height $(kx_panel_height), expected 80"
focus_on_button23() { [ "$(kx_probe focus TForm3)" = "Button	連番入力" ]; }
kx_wait 10 "the focus on 連番入力" focus_on_button23
read -r bx by <<<"$(kx_probe child-origin TForm3 連番入力)"
read -r px py <<<"$(kx_pointer)"
[ "$px" -eq "$bx" ] && [ "$py" -eq "$by" ] || kx_fail "pointer at $px,$py, button at $bx,$by"

# Dragged up onto a screen above and to the left of this one (the probe moves it there, as the
# user's drag would on such a desktop), the next hotkey brings the panel back to this screen's
# top edge, wholly over it.
read -r l t r b <<<"$(kx_probe rect TForm3)"
kx_click $(((l + r) / 2)) $((t + 8))  # the title bar: fold up
kx_wait 10 "the strip" eval '! kx_panel_expanded'
read -r l t r b <<<"$(kx_probe rect TForm3)"
kx_probe move TForm3 -900 -700 $((r - l)) $((b - t))
kx_probe hotkey TForm3
kx_wait 10 "expanded panel" kx_panel_expanded
read -r l t r b <<<"$(kx_probe rect TForm3)"
[ "$l" -eq 0 ] && [ "$t" -eq -3 ] || kx_fail "panel at $l,$t after the hotkey"
