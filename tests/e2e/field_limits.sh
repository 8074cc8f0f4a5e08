#!/usr/bin/env bash
# Fields with a 3-byte limit and the input method off (the settings window's start and end
# fields and its sequence choice): they have no input context, and the limit counts bytes of
# CP932, so a double-byte character counts twice, both when typed and when pasted. A field
# without either takes whatever is typed.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/fields.log" stop="$KX_WORK/stop"
wine "$KOLVEX_CHECK" fields "$log" "$stop" >"$KX_WORK/check.log" 2>&1 &
KX_PIDS+=($!)
check_pid=$!
kx_wait 30 "the fields window" grep -qx ready "$log"
grep -qx 'input method edit off combo off free on' "$log" ||
  kx_fail "input contexts: $(grep '^input method' "$log")"

# Xvfb has no window manager: the keyboard focus follows the pointer, the field takes it by a click.
click_field() { # click_field X Y (client coordinates of the fields window)
  read -r left top _ _ <<<"$(kx_probe client-rect TKolvexFields)"
  xdotool mousemove $((left + $1)) $((top + $2))
  sleep 0.2
  xdotool click 1
  sleep 0.2
}

click_field 40 22
xdotool type --delay 80 '1あ2'
click_field 30 62
kx_copy 'あいう'
sleep 0.3
xdotool key ctrl+v
click_field 100 102
xdotool type --delay 80 'aあいう'
sleep 0.5
touch "$stop"
kx_wait 30 "the check program to end" kx_not_running "$check_pid"
cat "$log"
# Typed without limit: the field takes every character, so typing itself works here.
grep -qx "free $(kx_hex "$(printf 'a\x82\xa0\x82\xa2\x82\xa4')")" "$log" || kx_fail "free field"
# "1" and "あ" are three bytes: "2" no longer fits.
grep -qx "edit $(kx_hex "$(printf '1\x82\xa0')")" "$log" || kx_fail "typed beyond the byte limit"
# One double-byte character of the three pasted fits into three bytes.
grep -qx "combo $(kx_hex "$(printf '\x82\xa0')")" "$log" || kx_fail "pasted beyond the byte limit"
