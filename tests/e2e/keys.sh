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
read -r left top right bottom <<<"$(kx_probe client-rect TKolvexKeys)"
# Without a window manager the keyboard focus follows the pointer.
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2))
sleep 0.3
xdotool type --delay 50 'a1b2'
xdotool key Return
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
