#!/usr/bin/env bash
# A run at a user's pace, to its end, with the panel summoned from the tray icon: for each value
# the pointer moved a little over notepad, a lone Ctrl tap, a click 0.4 s later, the next cycle
# 1.5 s on, never waiting to see a value arrive and without a plain click first. Every cycle
# inserts exactly one value, the last one included, the run then ends by itself, and every value
# carries the marks that keep it out of Windows' clipboard history and cloud clipboard (on
# Windows: the history, read through its own API, holds none of them).
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

sq_start
# Another program's copy, which the clipboard history takes: it shows that the history is read.
history_mark="copied before the run $$"
history_read=""
if kx_windows_only "Wine has no clipboard history (Windows.ApplicationModel.DataTransfer.Clipboard) to keep the values out of"; then
  rc=0
  history=$(kx_clipboard_history) || rc=$?
  case $rc in
    0) history_read=1 ;;
    3) echo "needs Windows with its clipboard history on and readable: $history" ;;
    *) kx_fail "reading the clipboard history (exit code $rc): $history" ;;
  esac
  if [ -n "$history_read" ]; then kx_copy "$history_mark"; fi
fi
sq_set_up_run "No." 1 4 ")"
sq_start_run
log="$KX_WORK/clipboard.log"
wine "$KOLVEX_PROBE" listener "$log" "$KX_WORK/stop-listener" CanIncludeInClipboardHistory \
  >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "the clipboard listener" test -s "$log"
# After スタート the panel is not the active window (a tap does not arm while it is): the first
# tap arms.
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
# Every value went onto the clipboard with CanIncludeInClipboardHistory 0 beside it.
touch "$KX_WORK/stop-listener"
for n in 1 2 3 4; do
  grep -q "^$(kx_hex "No.$n)")	" "$log" || kx_fail "value $n was never seen on the clipboard: $(cat "$log")"
done
unmarked=$(grep "^$(kx_hex "No.")" "$log" | grep -v '	0$' || true)
[ -z "$unmarked" ] || kx_fail "values went onto the clipboard without CanIncludeInClipboardHistory 0: $unmarked"
# "The content is not added to clipboard history": Windows' own history, read as Win+V shows it,
# holds the copy made before the run and none of the values.
if [ -n "$history_read" ]; then
  history_has() { kx_clipboard_history | grep -qx "$(kx_hex "$1")"; }
  kx_wait 30 "the copy before the run in Windows' clipboard history" history_has "$history_mark"
  for n in 1 2 3 4; do
    ! history_has "No.$n)" || kx_fail "value No.$n) is in Windows' clipboard history"
  done
fi
sq_nothing_more_inserted "No.1)No.2)No.3)No.4)"
