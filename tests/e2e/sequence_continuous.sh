#!/usr/bin/env bash
# "連続挿入": one lone Ctrl tap arms the run for good, and every click over notepad then pastes
# the next value (the paste's own Ctrl chord does not disarm), at a user's pace. The program's
# own windows are never a target, though any window is allowed: still armed, a click on the
# panel's title bar and then one on "連番中止", which stops the run, put no value on the
# clipboard.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

sq_start
sq_set_up_run "v" 1 4 ";" "連続挿入"
sq_start_run
sq_point_at_notepad
sq_ctrl_tap
# Three clicks at a user's pace, none waiting for its value to arrive.
for _ in 1 2 3; do
  kx_click_here
  sleep 1.5
done
kx_wait 5 "notepad to read three values" sq_notepad_is "v1;v2;v3;"
sq_hint_screenshot sequence-continuous-hint

log="$KX_WORK/clipboard.log"
wine "$KOLVEX_PROBE" listener "$log" "$KX_WORK/stop-listener" >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "the clipboard listener" test -s "$log"
# Notepad, opened after the panel, lies under its strip: the panel's title bar is clicked there.
read -r left top _ <<<"$(kx_probe rect TForm3)"
kx_click $((left + 60)) $((top + 8))
sleep 1
kx_expand_from_tray
sq_click_child TForm3 "連番中止"
sq_run_ended
sleep 1
touch "$KX_WORK/stop-listener"
! grep -qx "$(kx_hex 'v4;')" "$log" || kx_fail "the next value went to the clipboard: $(cat "$log")"

sq_nothing_more_inserted "v1;v2;v3;"
sq_no_value_in_slots "v1;" "v2;" "v3;"
