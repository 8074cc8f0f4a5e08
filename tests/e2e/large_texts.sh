#!/usr/bin/env bash
# Large texts never stall the program: after fifteen small copies and five copies of about 5 MB
# have filled the history, further small copies reach their slot file quickly (each one shifts
# the full store), the panel drops down from the tray at once, no error box appears, the large
# texts are byte-exact on disk and All Clear finishes quickly. Times are printed; only a generous
# average bound is asserted. Screenshots of the panel and caption with a 5 MB text in slot A.
. "$(dirname "$0")/lib.sh"
kx_setup

ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Polls quickly (the time to the file is what is measured) for up to 60 s.
wait_file() { # wait_file FILE EXPECTED-FILE
  local end=$(( $(date +%s) + 60 ))
  until [ -f "$1" ] && cmp -s "$1" "$2"; do
    [ "$(date +%s)" -lt "$end" ] || kx_fail "timed out waiting for $1"
    sleep 0.01
  done
}
no_error_box() {
  if text=$(kx_probe dialog-text Kolvex20 300); then kx_fail "error box: $text"; fi
}

big="$KX_WORK/big"
mkdir -p "$big"
python3 - "$big" <<'PY'
import sys
for k in range(1, 6):
    line = "2026-12-08 03:00:%02d log line of a large copy, text %d, with some words\r\n" % (k, k)
    body = ("large text %d\r\n" % k) + line * (5 * 1000 * 1000 // len(line))
    open("%s/large%d.txt" % (sys.argv[1], k), "wb").write(body.encode())
PY

kx_start_app
kx_wait_panel
# Small copies into free slots, for comparison: the system's notification is in every measured
# time, which runs from the moment the copying program's write was done (the probe prints it).
copy_at() { printf '%s' "$1" | kx_probe copy-text || kx_fail "could not copy '$1'"; }
free_total=0
for i in $(seq 1 15); do
  printf 'small %s' "$i" >"$KX_WORK/expect"
  t0=$(copy_at "small $i")
  wait_file "$KX_DATA/Kolvex$i.txt" "$KX_WORK/expect"
  free_total=$((free_total + $(ms) - t0))
done
echo "average small copy into a free slot: $((free_total / 15)) ms"
for k in 1 2 3 4 5; do
  kx_copy_file "$big/large$k.txt"
  wait_file "$KX_DATA/Kolvex$((15 + k)).txt" "$big/large$k.txt"
done
no_error_box

# The baseline: the same twenty files rewritten durably (flush, atomic replace), in this run.
rewrite_ms=$(python3 - "$KX_DATA" "$KX_WORK/rewrite" <<'PY'
import os, sys, time
src, dst = sys.argv[1], sys.argv[2]
os.makedirs(dst, exist_ok=True)
texts = [open(os.path.join(src, "Kolvex%d.txt" % i), "rb").read() for i in range(1, 21)]
t0 = time.monotonic()
for i, t in enumerate(texts, 1):
    tmp = os.path.join(dst, "Kolvex%d.txt.tmp" % i)
    with open(tmp, "wb") as f:
        f.write(t); f.flush(); os.fsync(f.fileno())
    os.replace(tmp, os.path.join(dst, "Kolvex%d.txt" % i))
print(int((time.monotonic() - t0) * 1000))
PY
)

total=0
for n in 1 2 3 4 5 6 7 8; do
  printf 'after %s' "$n" >"$KX_WORK/expect"
  t0=$(copy_at "after $n")
  wait_file "$KX_DATA/Kolvex20.txt" "$KX_WORK/expect"
  t=$(( $(ms) - t0 ))
  echo "small copy $n into the full store: $t ms"
  total=$((total + t))
done
average=$((total / 8))
echo "average small copy: $average ms; durable rewrite of the twenty files: $rewrite_ms ms" \
  "(target: at most 2 x $rewrite_ms + 50 ms)"
# 400 ms on an idle machine; on a loaded one the target measured in this run may be larger.
bound=$(( 2 * rewrite_ms + 50 > 400 ? 2 * rewrite_ms + 50 : 400 ))
[ "$average" -le "$bound" ] || kx_fail "small copies take $average ms on average (bound $bound)"
no_error_box

# The large texts moved eight slots up, byte for byte.
for k in 1 2 3 4 5; do
  cmp -s "$KX_DATA/Kolvex$((7 + k)).txt" "$big/large$k.txt" || kx_fail "large text $k changed"
done

t0=$(ms)
kx_probe title TForm3 >/dev/null
echo "one probe call alone: $(( $(ms) - t0 )) ms"
t0=$(ms)
kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
echo "tray click to dropped panel: $(( $(ms) - t0 )) ms (including the probe's start)"
no_error_box
sleep 0.3
kx_read "x y" "no All Clear button" child-origin TForm3 "All Clear"
kx_click $((x + 6)) $((y + 6))
kx_probe dialog-text Kolvex20 60000 >/dev/null || kx_fail "no question before All Clear"
t0=$(ms)
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"
all_empty() {
  local i
  for i in $(seq 1 20); do [ -f "$KX_DATA/Kolvex$i.txt" ] && [ ! -s "$KX_DATA/Kolvex$i.txt" ] || return 1; done
}
end=$(( $(date +%s) + 30 ))
until all_empty; do
  [ "$(date +%s)" -lt "$end" ] || kx_fail "All Clear did not empty the files"
  sleep 0.01
done
echo "All Clear: $(( $(ms) - t0 )) ms (including the probe's answer)"
no_error_box

# A 5 MB multi-line text in slot A: the panel and its caption, as the user sees them.
kx_copy_file "$big/large1.txt"
wait_file "$KX_DATA/Kolvex1.txt" "$big/large1.txt"
kx_expand_from_tray
kx_screenshot large-text-panel
title=$(kx_probe title TForm3)
echo "caption shown: ${title:0:60}"
case "$title" in
  "A：large text 1 2026-12-08"*…) ;;
  *) kx_fail "caption shown: ${title:0:80}" ;;
esac
[ "${#title}" -lt 400 ] || kx_fail "the caption got ${#title} characters"
no_error_box

# Hovering over slot A shows a tooltip with the first lines and the cut mark.
kx_read "x y" "no letter button A" child-origin TForm3 A
kx_move $((x + 50)) $((y + 8))
sleep 0.2
kx_move $((x + 54)) $((y + 9))
tip_cut() { kx_probe tooltip | grep -q '…$'; }
kx_wait 10 "the tooltip of slot A with the cut mark" tip_cut
tip=$(kx_probe tooltip)
echo "tooltip: ${#tip} characters, ending in '${tip: -12}'"
[ "${#tip}" -lt 1024 ] || kx_fail "the tooltip got ${#tip} characters"
kx_save_screen "$KX_ARTIFACTS/large-text-hint-screen.png"
echo "screenshot: $KX_ARTIFACTS/large-text-hint-screen.png"
no_error_box
