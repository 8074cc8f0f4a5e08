#!/usr/bin/env bash
# Keys typed into a window: with key preview the form sees each key before the focused field,
# the field's key filter drops what it refuses (letters, Enter), and the text the user typed
# reaches the model.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/keys.log" stop="$KX_WORK/stop"
wine "$KOLVEX_CHECK" keys "$log" "$stop" >"$KX_WORK/check.log" 2>&1 &
KX_PIDS+=($!)
check_pid=$!
kx_wait 30 "the window" grep -qx ready "$log"
kx_wait 10 "the focus in the field" grep -qx 'enter edit' "$log"
# The window shown last is the active one: the keys go to its field.
kx_key a 1 b 2 Return
touch "$stop"
kx_wait 30 "the check program to end" kx_not_running "$check_pid"
cat "$log"
grep -qx 'text 12' "$log" || kx_fail "field text: $(grep '^text' "$log")"
# Key preview: the form's key-down comes right before the field's, for every key.
for vk in 65 49 66 50 13; do
  grep -A1 -x "form down $vk" "$log" | grep -qx "edit down $vk" ||
    kx_fail "form/field order for key $vk"
done
grep -qx 'form up 13' "$log" || kx_fail "no key-up of Enter at the form"
