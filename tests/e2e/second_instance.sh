#!/usr/bin/env bash
# A second start only says that the program is running and ends; the first one goes on
# capturing as before.
. "$(dirname "$0")/lib.sh"
kx_setup

# A text already on the clipboard when the program starts enters the history: the program
# copies it back, and its own write reaches the capture at once.
kx_copy 'before the first start'
kx_start_app
kx_wait_panel
first_pid=$KX_APP_PID
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'before the first start'
kx_wait 10 "caption A" kx_title_is "A：before the first start"
[ "$(kx_probe clip-hex)" = "$(kx_hex 'before the first start')" ] || kx_fail "clipboard lost its text"

# The second instance runs in another folder: it must not create files there either.
mkdir -p "$KX_WORK/second"
kx_start_app "$KX_WORK/second"
second_pid=$KX_APP_PID
text=$(kx_probe dialog-text Kolvex20 30000) || kx_fail "no message box from the second start"
[ "$text" = "Kolvex20は起動中です" ] || kx_fail "message box says '$text'"
kill -0 "$second_pid" 2>/dev/null || kx_fail "the second start ended before its message was closed"
kx_probe dialog-ok Kolvex20 || kx_fail "could not press OK"
kx_wait 30 "the second start to end" kx_not_running "$second_pid"
[ -z "$(ls -A "$KX_WORK/second")" ] || kx_fail "the second start wrote files: $(ls "$KX_WORK/second")"

kill -0 "$first_pid" 2>/dev/null || kx_fail "the first instance ended"
[ "$(kx_probe count-windows TApplication Kolvex20)" -eq 1 ] ||
  kx_fail "expected one application window"
kx_copy 'after the second start'
kx_wait 30 "slot B file" kx_file_is "$KX_DATA/Kolvex2.txt" 'after the second start'
kx_wait 10 "caption B" kx_title_is "B：after the second start"
