#!/usr/bin/env bash
# At 144 DPI (150 %) the panel keeps its layout, scaled: its width, the expanded height and the
# positions of the slot boxes grow by half, and so does its distance from the middle of the
# screen (150 layout pixels to the left of it); the strip still shows the whole title bar.
. "$(dirname "$0")/lib.sh"
kx_setup
kx_at_dpi 144
read -r screen_width _ <<<"$(kx_probe screen)"

kx_start_app
kx_wait_panel
read -r left top right bottom <<<"$(kx_probe rect TForm3)"
[ "$left" -eq $((screen_width / 2 - 225)) ] && [ "$top" -eq -3 ] || kx_fail "panel at $left,$top"
[ $((right - left)) -ge 502 ] && [ $((right - left)) -le 503 ] || kx_fail "width $((right - left))"
kx_copy 'scaled A'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'scaled A'
kx_copy 'scaled B'
kx_wait 30 "slot B file" kx_file_is "$KX_DATA/Kolvex2.txt" 'scaled B'
kx_copy 'scaled C'
kx_wait 30 "slot C file" kx_file_is "$KX_DATA/Kolvex3.txt" 'scaled C'

# The strip: the outer height is the title bar and frame less 3 layout pixels, so the client
# area is empty and the title bar is there.
kx_wait 10 "caption C" kx_title_is "C：scaled C"
read -r left top right bottom <<<"$(kx_probe client-rect TForm3)"
[ "$bottom" -le "$top" ] || kx_fail "the strip shows $((bottom - top)) client pixels"
strip=$(kx_panel_height)
[ "$strip" -gt 20 ] || kx_fail "strip height $strip"

kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
# 55 + 25 * 2 layout pixels at 150 %.
height=$(kx_panel_height)
[ "$height" -ge 157 ] && [ "$height" -le 158 ] || kx_fail "expanded height $height, expected 158"
kx_screenshot panel-144dpi
