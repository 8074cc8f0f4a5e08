#!/usr/bin/env bash
# Sequence insertion from the real user interface into Wine's notepad: "連番入力" on the dropped
# panel opens the settings window, the run 1～3 with prefix "No." and suffix ")" is typed into
# its fields, "スタート" starts it, and each lone Ctrl tap followed by a click over notepad pastes
# the next value there. Notepad then reads exactly "No.1)No.2)No.3)", no value entered the
# history, and the run ended by itself (hint gone, "連番入力" back, the hook's thread gone).
# Afterwards a tray click drops the panel down, and a second run started from it is stopped
# with "連番中止".
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

sq_start
sq_set_up_run "No." 1 3 ")"
# The window opened for the first time shows the kinds it was given beforehand.
sq_texts_of_settings | grep -qxF "ComboBox	標準" ||
  kx_fail "the sequence choice does not show 標準: $(sq_texts_of_settings)"
sq_start_run
sq_point_at_notepad

# A click without the Ctrl tap inserts nothing.
kx_click_here
sleep 1
sq_notepad_is "" || kx_fail "a click before arming inserted: $(sq_notepad_hex)"

sq_ctrl_tap
sq_hint_screenshot sequence-hint
sq_click_inserts "No.1)"
# The paste's own Ctrl chord disarmed: a click now inserts nothing.
kx_click_here
sleep 1
sq_notepad_is "No.1)" || kx_fail "a click after the paste inserted again: $(sq_notepad_hex)"
sq_ctrl_tap
sq_click_inserts "No.1)No.2)"
sq_ctrl_tap
sq_click_inserts "No.1)No.2)No.3)"

sq_run_ended
sq_nothing_more_inserted "No.1)No.2)No.3)"
sq_no_value_in_slots "No.1)" "No.2)" "No.3)"

# The last value is still on the clipboard and in no slot. The tray click drops the panel, and
# its colour pass then empties the clipboard: the panel stays down all the same.
clipboard_is() { [ "$(kx_probe clip-hex)" = "$(kx_hex "$1")" ]; }
clipboard_is "No.3)" || kx_fail "the run did not leave its last value: $(kx_probe clip-hex)"
kx_probe tray TForm3 513
kx_wait 10 "the colour pass to empty the clipboard" clipboard_is ""
# Under the window manager the panel's new size reaches its rectangle a moment later.
kx_wait 10 "the panel dropped down after the tray click" kx_panel_down
sleep 0.5
kx_panel_expanded || kx_fail "the tray click after the run left the panel at $(kx_probe rect TForm3)"
kx_title_is "" || kx_fail "caption '$(kx_probe title TForm3)' after the clipboard was emptied"

# A second run from the panel, with the settings kept from the first, stopped by the user.
sq_click_child TForm3 "連番入力"
kx_wait 10 "the settings window" sq_settings_shown
sq_texts_of_settings | grep -qxF "Edit	No." || kx_fail "the settings were not kept"
sq_start_run
kx_expand_from_tray
sq_click_child TForm3 "連番中止"
sq_run_ended
sq_nothing_more_inserted "No.1)No.2)No.3)"
