#!/usr/bin/env bash
# "連続挿入": one lone Ctrl tap arms the run for good, and every click over notepad then pastes
# the next value (the paste's own Ctrl chord does not disarm), until the run ends by itself
# after its last value.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

sq_start
sq_set_up_run "v" 1 3 ";" "連続挿入"
sq_start_run
sq_point_at_notepad
sq_ctrl_tap
sq_click_inserts "v1;"
sq_click_inserts "v1;v2;"
sq_hint_screenshot sequence-continuous-hint
sq_click_inserts "v1;v2;v3;"

sq_run_ended
sq_nothing_more_inserted "v1;v2;v3;"
sq_no_value_in_slots "v1;" "v2;" "v3;"
