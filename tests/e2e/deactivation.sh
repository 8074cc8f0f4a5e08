#!/usr/bin/env bash
# The panel stays above the programs the user works in: notepad, opened after the panel at the
# top left of the screen, lies over the panel's place but never covers it, not when it is
# opened, not after a copy, not after a click into it. The panel dropped down from the tray
# icon becomes the active window; when the user turns to notepad again (a click into it), it
# folds up to its title-bar strip, still on top.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy 'text for the strip'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'text for the strip'

wine notepad >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "notepad" kx_probe wait-window Notepad 1000
kx_over_panel Notepad
kx_panel_on_top "notepad opened over it"

kx_copy 'second text'
kx_wait 30 "slot B file" kx_file_is "$KX_DATA/Kolvex2.txt" 'second text'
kx_panel_on_top "a copy"

read -r left top right bottom <<<"$(kx_probe client-rect Notepad)"
click_notepad() {
  kx_click $(( (left + right) / 2 )) $(( (top + bottom) / 2 ))
}
click_notepad
sleep 0.5
kx_panel_on_top "a click into notepad"

kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
sleep 0.5 # let the activation settle before turning away
kx_panel_on_top "the tray click"

click_notepad
panel_strip() { local h; h=$(kx_panel_height); [ "$h" -gt 0 ] && [ "$h" -lt 50 ]; }
kx_wait 10 "the strip after another program was activated" panel_strip
kx_title_is "B：second text" || kx_fail "caption changed: $(kx_probe title TForm3)"
kx_panel_on_top "folding up as notepad was activated"
