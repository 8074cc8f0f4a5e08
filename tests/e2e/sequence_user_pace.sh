#!/usr/bin/env bash
# A run at a user's pace, to its end, with the panel summoned from the tray icon: for each value
# the pointer moved a little over notepad, a lone Ctrl tap, a click 0.4 s later, the next cycle
# 1.5 s on, never waiting to see a value arrive and without a plain click first. Every cycle
# inserts exactly one value, the last one included, the run then ends by itself, and the values
# carry the marks that keep them out of Windows' clipboard history and cloud clipboard.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

sq_start
sq_set_up_run "No." 1 4 ")"
sq_start_run
# After スタート the panel is not the active window (Wine's tray window, which the tray click
# activated, is the foreground): the first tap arms.
active=$(kx_probe active TForm3 | cut -f2)
[ "$active" != TForm3 ] || kx_fail "the panel is still active after スタート"
sq_point_at_notepad
for cycle in 1 2 3 4; do
  kx_move $((SQ_X + cycle * 3)) $SQ_Y
  sleep 0.3
  sq_ctrl_tap
  kx_click_here
  sleep 1.5
done
kx_wait 5 "notepad to read every value" sq_notepad_is "No.1)No.2)No.3)No.4)"
sq_run_ended

for format in CanIncludeInClipboardHistory CanUploadToCloudClipboard; do
  [ "$(kx_probe clip-dword "$format")" = 0 ] ||
    kx_fail "the last value has $format $(kx_probe clip-dword "$format")"
done
sq_nothing_more_inserted "No.1)No.2)No.3)No.4)"
