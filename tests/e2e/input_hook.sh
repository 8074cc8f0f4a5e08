#!/usr/bin/env bash
# The input hook sees the desktop's keys and clicks (in another program: Wine's notepad) with the
# generic key codes (Ctrl is 17 from either side), and the synthetic keys the backend sends, which
# reach the focused program and come back through the hook. Wine's low-level hooks only see input
# that goes to Wine windows, hence notepad. The pointer shape is reported but not checked: Wine
# gives every process its own handle of the shared I-beam cursor, so another program's I-beam
# never compares equal there (on Windows the system cursors are shared handles).
. "$(dirname "$0")/lib.sh"
kx_setup

wine notepad >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "notepad" kx_probe wait-window Notepad 1000

log="$KX_WORK/hook.log" stop="$KX_WORK/stop"
wine "$KOLVEX_CHECK" hooks "$log" "$stop" >"$KX_WORK/check.log" 2>&1 &
KX_PIDS+=($!)
check_pid=$!
kx_wait 30 "the hook to be installed" grep -qx ready "$log"

read -r left top right bottom <<<"$(kx_probe client-rect Notepad)"
kx_click $(( (left + right) / 2 )) $(( (top + bottom) / 2 ))
kx_keydown Control_R; kx_keyup Control_R
kx_keydown Control_L; kx_keyup Control_L
kx_key x
kx_key F8
has() { grep -qx "$1" "$log"; }
for line in 'LButtonDown' 'KeyDown 17' 'KeyUp 17' 'KeyDown 88' 'KeyUp 88' \
  'KeyUp 119' 'KeyDown 90' 'KeyUp 90'; do
  kx_wait 10 "the hook to report '$line'" has "$line"
done
kx_wait 10 "the hook to report the button release" grep -q '^LButtonUp ' "$log"
# Left and right Ctrl (and Shift) only ever come as the generic codes.
! grep -Eq '^Key(Down|Up) 16[0-3]$' "$log" || kx_fail "side-specific key codes: $(grep -E ' 16[0-3]$' "$log")"
notepad_text() { kx_probe controls Notepad | grep -q "	xz\$"; }
kx_wait 10 "notepad to hold the typed x and the sent z" notepad_text

touch "$stop"
kx_wait 30 "the check program to end" kx_not_running "$check_pid"
