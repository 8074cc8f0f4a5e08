#!/usr/bin/env bash
# While the UI thread is blocked (as it is through the 350 ms of the paste) and the hook is renewed
# again and again (a run renews it every second), thousands of pointer
# moves come in between key taps and clicks. Windows drops posted messages once a queue holds
# 10,000, so the backend must not post one per move: the moves that wait are folded, while every
# key and button event still arrives, in order. Removing the hook ends its thread and nothing
# is reported afterwards.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/burst.log"
wine "$KOLVEX_CHECK" burst "$log" >"$KX_WORK/check.log" 2>&1 &
KX_PIDS+=($!)
check_pid=$!
kx_wait 120 "the burst check to end" kx_not_running "$check_pid"
cat "$log"

grep -qx 'order kept (160 of 160)' "$log" || kx_fail "keys and buttons lost or reordered"
moves=$(sed -n 's/^moves delivered \([0-9]*\) of .*/\1/p' "$log")
[ -n "$moves" ] || kx_fail "no move count"
# One move per gap between keys and buttons at most (40 rounds of four events).
[ "$moves" -le 161 ] || kx_fail "$moves pointer moves delivered one by one instead of folded"
[ "$moves" -ge 1 ] || kx_fail "no pointer move delivered at all"
read -r _ _ before _ during <<<"$(grep '^threads before' "$log")"
after=$(sed -n 's/^threads after stop //p' "$log")
[ "$during" -eq $((before + 1)) ] || kx_fail "the hook did not run on a thread of its own"
[ "$after" -eq "$before" ] || kx_fail "the hook thread outlived the hook ($before before, $after after)"
grep -qx 'after stop silent' "$log" || kx_fail "events still reported after the hook was removed"
