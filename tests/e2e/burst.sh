#!/usr/bin/env bash
# Another program copies many different texts (1 byte up to 1 MiB, sizes spread evenly on a
# logarithmic scale, shuffled) at a steady pace; then one very large text and a small one after
# it. Capture reads the clipboard once, 50 ms after a change, and handles one change at a time:
# a copy that is replaced before the program gets to read it is legitimately never seen (the
# clipboard holds one text). What the program promises, and what is checked: every copy that
# stayed on the clipboard past the moment the program read it (the end of the previous capture,
# or the copy itself, plus the 50 ms wait and a delivery slack) is captured, the captured texts
# enter the history in the order they were copied, none twice, the last copy is captured, the slots end as the last twenty captured texts, every file is whole and agrees with
# its slot (closing the program, which writes every slot back, changes no file), and the large
# text neither crashes it nor stops the next copy. The numbers captured and the large text's
# time are printed.
#
#   KOLVEX_BURST_COPIES  number of texts (default 100; the long variant copies 500)
#   KOLVEX_BURST_MAX     largest text in bytes (default 65536; the long variant 1048576)
#   KOLVEX_BURST_MS      spacing of the copies (default 100)
#   KOLVEX_BIG_BYTES     the very large text (default 1048576; the long variant 52428800)
. "$(dirname "$0")/lib.sh"
kx_wine_only "reads the exe's memory from /proc"
. "$(dirname "$0")/lib_texts.sh"
copies="${KOLVEX_BURST_COPIES:-100}"
biggest="${KOLVEX_BURST_MAX:-65536}"
spacing="${KOLVEX_BURST_MS:-100}"
big="${KOLVEX_BIG_BYTES:-1048576}"
kx_setup

now_ms() { echo $(($(date +%s%N) / 1000000)); }
texts="$KX_WORK/texts"
mkdir -p "$texts"
python3 "$KX_TEXTS_PY" burst "$texts" "$copies" "$biggest" 11 >"$KX_WORK/burst.list"

kx_start_app
kx_wait_panel
pid=$(kx_exe_pid) || kx_fail "no Kolvex20.exe process"

captured="$KX_WORK/captured" stop="$KX_WORK/observer.stop"
python3 "$KX_TEXTS_PY" observe "$KX_DATA" "$KX_WORK/burst.list" "$stop" >"$captured" &
observer=$!
KX_PIDS+=("$observer")
sleep 0.5

# The copier runs inside Wine, so each copy is one clipboard change at a steady pace.
copy_list() { # copy_list LIST LOG
  wine "$KOLVEX_COPIER" burst "$1" "$spacing" "$2" >/dev/null 2>&1 &
  KX_PIDS+=($!)
}
copies_done() { [ "$(wc -l <"$1" 2>/dev/null || echo 0)" -ge "$2" ]; }
last_captured_is() { [ "$(tail -1 "$captured" | cut -d" " -f1)" = "$1" ]; }

# A reader beside the program that does only what the program promises. Under load Wine tells
# any reader of a change late now and then (traced: either reader 50 to 100 ms late at times the
# other was not), so the program may lose as many copies as this reader misses, not more.
wine "$KOLVEX_COPIER" reference "$KX_WORK/reference.log" "$KX_WORK/burst.log.stop" 50 >/dev/null 2>&1 &
KX_PIDS+=($!)
kx_wait 30 "the reference reader" test -e "$KX_WORK/reference.log"
t0=$(now_ms)
copy_list "$KX_WORK/burst.list" "$KX_WORK/burst.log"
kx_wait $((copies * spacing / 1000 + 120)) "the copier's $copies copies" copies_done "$KX_WORK/burst.log" "$copies"
burst_ms=$(($(now_ms) - t0))
kx_wait 300 "the last copy to be captured" last_captured_is "$copies"
settle_ms=$(($(now_ms) - t0 - burst_ms))
touch "$stop"
wait "$observer"

mapfile -t order < <(cut -d' ' -f1 "$captured")
previous=0
for k in "${order[@]}"; do
  [ "$k" -gt "$previous" ] || kx_fail "captured out of order or twice: $k after $previous"
  previous=$k
done
count=${#order[@]}
# A copy the program had the time to read must be in the history.
lost=$(python3 "$KX_TEXTS_PY" judge "$KX_WORK/burst.log" "$captured" 50 "${KOLVEX_BURST_SLACK_MS:-30}" "$KX_WORK/reference.log")
[ -z "$lost" ] || kx_fail "copies lost although the program was free to read them:
$lost"
# The slots hold the last twenty captured texts, each file whole.
ids=$(kx_slot_ids)
grep -qE 'torn|missing|empty' <<<"$ids" && kx_fail "slot files after the burst: $ids"
expected=("${order[@]: -20}")
for i in $(seq 1 20); do
  want="$KX_DATA/../texts/burst-$(printf '%04d' "${expected[$((i - 1))]}")"
  cmp -s "$want" "$KX_DATA/Kolvex$i.txt" || kx_fail "Kolvex$i.txt is not text ${expected[$((i - 1))]}"
done
spaced_ms=$(awk 'NR > 1 { d = $2 - p; if (d > m) m = d } { p = $2 } END { print m }' "$KX_WORK/burst.log")
echo "burst: $copies copies at ${spacing} ms (copier took $burst_ms ms, widest gap $spaced_ms ms), $count captured in order, $((copies - count)) replaced on the clipboard before the program could read them; the last captured $settle_ms ms after the copier's end"

# A very large text, then a small one: both captured, no crash.
big_text=$(kx_text 900000 "$big")
echo "$big_text" >"$KX_WORK/big.list"
touch "$KX_WORK/burst.log.stop"
t0=$(now_ms)
copy_list "$KX_WORK/big.list" "$KX_WORK/big.log"
slot_t_is() { cmp -s "$1" "$KX_DATA/Kolvex20.txt"; }
# The time from the copy itself (the copier's own clock, the 4th field of its log) to the file,
# so that starting the copier's Wine process is not counted; the file is polled every 200 ms.
since_copy_ms() { echo $(($(now_ms) - $(cut -d' ' -f4 "$1" | tr -d '\r'))); }
kx_wait "${KOLVEX_BIG_WAIT:-300}" "the $big-byte text in slot T" slot_t_is "$big_text"
big_ms=$(since_copy_ms "$KX_WORK/big.log")
big_total_ms=$(($(now_ms) - t0))
small=$(kx_text 900001 100)
echo "$small" >"$KX_WORK/small.list"
touch "$KX_WORK/big.log.stop"
t0=$(now_ms)
copy_list "$KX_WORK/small.list" "$KX_WORK/small.log"
kx_wait "${KOLVEX_BIG_WAIT:-300}" "the next copy after the large text" slot_t_is "$small"
next_ms=$(since_copy_ms "$KX_WORK/small.log")
next_total_ms=$(($(now_ms) - t0))
cmp -s "$big_text" "$KX_DATA/Kolvex19.txt" || kx_fail "the large text did not move to slot S"
kill -0 "$pid" || kx_fail "Kolvex20.exe is gone"
echo "large text: $big bytes in slot T $big_ms ms after the copy; the next copy $next_ms ms after it (with the copier's start: $big_total_ms and $next_total_ms ms)"

# Files agree with the slots: closing writes every slot back and changes no file's bytes.
sums() { (cd "$KX_DATA" && md5sum Kolvex*.txt); }
before=$(sums)
touch "$KX_WORK/small.log.stop"
kx_close_from_tray
[ "$(sums)" = "$before" ] || kx_fail "closing changed slot files: the files did not agree with the slots"
