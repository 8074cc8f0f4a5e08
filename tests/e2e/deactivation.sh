#!/usr/bin/env bash
# The panel dropped down from the tray icon becomes the active window; when the user turns to
# another program (a click into Wine's notepad), it folds up to its title-bar strip again.
. "$(dirname "$0")/lib.sh"
kx_setup

wine notepad >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "notepad" kx_probe wait-window Notepad 1000

kx_start_app
kx_wait_panel
kx_copy 'text for the strip'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'text for the strip'

kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
sleep 0.5 # let the activation settle before turning away

read -r left top right bottom <<<"$(kx_probe client-rect Notepad)"
xdotool mousemove $(( (left + right) / 2 )) $(( (top + bottom) / 2 )) click 1
panel_strip() { local h; h=$(kx_panel_height); [ "$h" -gt 0 ] && [ "$h" -lt 50 ]; }
kx_wait 10 "the strip after another program was activated" panel_strip
kx_title_is "A：text for the strip" || kx_fail "caption changed: $(kx_probe title TForm3)"
