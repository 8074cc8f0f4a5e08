#!/usr/bin/env bash
# Questions to the user offer Yes and Cancel; Cancel, Esc and the close box all answer no.
. "$(dirname "$0")/lib.sh"
kx_setup

title='Kolvex20 check'
ask() { # ask ANSWER-ACTION EXPECTED
  local log="$KX_WORK/confirm-$1.log"
  rm -f "$log"
  wine "$KOLVEX_CHECK" confirm "$log" >/dev/null 2>&1 &
  local pid=$!
  KX_PIDS+=("$pid")
  kx_probe dialog-text "$title" 30000 >"$KX_WORK/dialog-$1.txt" || kx_fail "no question box"
  grep -qx 'よろしいですか？' "$KX_WORK/dialog-$1.txt" ||
    kx_fail "question box text: $(cat "$KX_WORK/dialog-$1.txt")"
  # Captions without their accelerator marks ("はい(&Y)" is はい).
  buttons=$(kx_probe dialog-buttons "$title" | sed -e 's/(&.)$//' -e 's/&//g')
  [ "$buttons" = "$(printf 'はい\nキャンセル')" ] || kx_fail "buttons: $buttons"
  kx_probe dialog-action "$title" "$1" || kx_fail "could not $1"
  kx_wait 30 "an answer" test -s "$log"
  [ "$(cat "$log")" = "$2" ] || kx_fail "$1 answered $(cat "$log"), expected $2"
  kx_wait 10 "the check program to end" kx_not_running "$pid"
}
ask yes yes
ask cancel no
ask escape no
ask close no
