#!/usr/bin/env bash
# A clipboard that another program holds open: the program's own write fails with the standard
# error box "クリップボードを開くことができません", the program goes on, and the same action
# works once the clipboard is free again. The write comes from the speed button "C,B Clear".
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy 'a text to clear'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'a text to clear'
kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
clear_visible() { grep -qxF "Button	1	C,B Clear" <<<"$(kx_probe controls TForm3)"; }
kx_wait 10 "the C,B Clear button" clear_visible

ready="$KX_WORK/held" stop="$KX_WORK/release"
wine "$KOLVEX_PROBE" hold-clipboard "$ready" "$stop" >/dev/null 2>&1 &
holder=$!
KX_PIDS+=("$holder")
kx_wait 30 "another program to hold the clipboard" test -e "$ready"

kx_probe click TForm3 "C,B Clear" || kx_fail "no C,B Clear button"
text=$(kx_probe dialog-text Kolvex20 30000) || kx_fail "no error box"
[ "$text" = "クリップボードを開くことができません" ] || kx_fail "error box says '$text'"
kx_probe dialog-ok Kolvex20 || kx_fail "could not close the error box"

touch "$stop"
kx_wait 30 "the other program to let go" kx_not_running "$holder"
kill -0 "$KX_APP_PID" 2>/dev/null || kx_fail "Kolvex20 ended after the error"
[ "$(kx_probe clip-hex)" = "$(kx_hex 'a text to clear')" ] || kx_fail "the clipboard changed"

# The message loop went on: the same button now empties the clipboard.
kx_probe click TForm3 "C,B Clear"
clipboard_empty() { [ -z "$(kx_probe clip-hex)" ]; }
kx_wait 10 "an empty clipboard" clipboard_empty
# The program's own clear reaches its capture: empty caption, nothing of the panel left.
kx_title_is "" || kx_fail "caption after the clear: '$(kx_probe title TForm3)'"
[ "$(kx_panel_height)" -eq 0 ] || kx_fail "panel height $(kx_panel_height) after the clear"
kx_file_is "$KX_DATA/Kolvex1.txt" 'a text to clear' || kx_fail "slot A changed"
