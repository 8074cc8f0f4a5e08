#!/usr/bin/env bash
# Kolvex20.exe measured against a minimal clipboard listener (bench/listener: the 50 ms wait,
# read the text, write it with the same flush and atomic replace), both under Wine on a private
# Xvfb, in the same run, one after the other with the same texts and the same copier:
# copy-to-file latency of COPIES copies (median and 95th percentile; the first twenty go to
# free slots, the rest are full-store shifts, which end with the new text in Kolvex20.txt) and
# each program's resident memory after 20 and after COPIES copies. Prints one table of ratios
# to the listener; each program's /proc/PID/smaps at the end is kept in
# build/win32/bench-listener/run. Not a test: the numbers depend on the machine and its load.
# With FOLDER, both programs keep their files in folders inside it (for example a FAT32 volume
# that scripts/fat-volume.sh mounted), else in that run folder.
#
# KOLVEX_BENCH_BIG=N makes the last N of the first twenty texts KOLVEX_BENCH_BIG_BYTES long
# (default 5 MiB): the shifts of the next 15 - N copies are small copies into a full history that
# holds N such texts (for example KOLVEX_BENCH_BIG=5 with 35 copies).
#
#   scripts/bench-listener.sh [COPIES [TEXT_BYTES [FOLDER]]]     (defaults 200 and 4096)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
copies="${1:-200}"
size="${2:-4096}"
data="${3:-}"
. "$root/scripts/wine-env.sh"
kx_check_locale

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kolvex20 kolvex-probe kolvex-copier kolvex-listener >/dev/null
bin="$root/build/win32"
exe="$bin/Kolvex20.exe" probe="$bin/e2e/kolvex-probe.exe" copier="$bin/e2e/kolvex-copier.exe"
listener="$bin/e2e/kolvex-listener.exe"
work="$bin/bench-listener"
rm -rf "$work/run"
mkdir -p "$work/run/texts"
data="${data:-$work/run}"
rm -rf "$data/listener" "$data/kolvex"
mkdir -p "$data/listener" "$data/kolvex"
kx_prepare_prefix "$work/prefix" own-frames
kx_wine_env "$work/prefix"
kx_start_xvfb
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$KX_XVFB_PID" >/dev/null 2>&1 || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
wine "$probe" count-windows TForm3 Kolvex20 >/dev/null # wineserver and desktop up first

big="${KOLVEX_BENCH_BIG:-0}"
for k in $(seq 1 "$copies"); do
  bytes=$size
  if [ "$k" -le 20 ] && [ "$k" -gt $((20 - big)) ]; then bytes=${KOLVEX_BENCH_BIG_BYTES:-5242880}; fi
  python3 "$root/tests/e2e/slot_texts.py" write "$k" "$bytes" "$work/run/texts/$k"
done

# The Linux process whose own name is the given exe, in this prefix.
linux_pid() {
  local p name
  for p in $(pgrep -f -- "$(basename "$1")"); do
    name=$({ tr '\0' '\n' <"/proc/$p/cmdline"; } 2>/dev/null | head -1) || continue
    [ "${name##*[/\\]}" = "$(basename "$1")" ] || continue
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$p"
    return 0
  done
  return 1
}
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# measure NAME EXE FOLDER TARGET_OF_COPY_K: runs the program, copies, prints "rss20 rssN".
measure() {
  local name=$1 program=$2 folder=$3 target=$4 pid k
  for k in $(seq 1 "$copies"); do
    echo "$work/run/texts/$k $folder/$($target "$k")"
  done >"$work/run/$name.list"
  (cd "$folder" && exec wine "$program") >/dev/null 2>&1 &
  for _ in $(seq 1 300); do pid=$(linux_pid "$program") && break; sleep 0.1; done
  [ -n "${pid:-}" ] || { echo "$name did not start" >&2; exit 1; }
  sleep 3 # started and listening
  local log="$work/run/$name.latency" rss20
  wine "$copier" latency "$work/run/$name.list" 1 "$copies" 150 20 "$log" &
  local copying=$!
  until [ -e "$log.paused" ]; do
    kill -0 "$copying" 2>/dev/null || { echo "$name: the copier stopped" >&2; exit 1; }
    sleep 0.1
  done
  rss20=$(rss "$pid")
  touch "$log.continue"
  wait "$copying" || { echo "$name: a copy never reached its file" >&2; exit 1; }
  echo "$rss20 $(rss "$pid")" >"$work/run/$name.rss"
  # Where the memory goes, mapping by mapping, for a closer look afterwards.
  cp "/proc/$pid/smaps" "$work/run/$name.smaps"
  kill "$pid"
}
listener_file() { echo "Listener$((($1 - 1) % 20 + 1)).txt"; }
kolvex_file() { echo "Kolvex$(($1 < 20 ? $1 : 20)).txt"; }

measure listener "$listener" "$data/listener" listener_file
# An empty clipboard, so that Kolvex20's start-up capture takes nothing into slot A.
printf '' | wine "$probe" copy-text >/dev/null
sleep 1
measure kolvex "$exe" "$data/kolvex" kolvex_file

python3 - "$work/run" "$copies" "$size" <<'EOF'
import statistics, sys
run, copies, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def latencies(name):
    with open(f"{run}/{name}.latency") as f:
        values = dict((int(a), float(b)) for a, b in (l.split() for l in f))
    return [values[k] for k in range(1, 21)], [values[k] for k in range(21, copies + 1)]
def p95(v):
    v = sorted(v)
    return v[min(len(v) - 1, round(0.95 * (len(v) - 1)))]
def rss(name):
    with open(f"{run}/{name}.rss") as f:
        return [int(x) for x in f.read().split()]
lf, ls = latencies("listener")
kf, ks = latencies("kolvex")
lr, kr = rss("listener"), rss("kolvex")
rows = [
    ("free slot latency, median (ms)", statistics.median(kf), statistics.median(lf)),
    ("free slot latency, 95th percentile (ms)", p95(kf), p95(lf)),
    ("full-store shift latency, median (ms)", statistics.median(ks), statistics.median(ls)),
    ("full-store shift latency, 95th percentile (ms)", p95(ks), p95(ls)),
    ("resident memory after 20 copies (KiB)", kr[0], lr[0]),
    (f"resident memory after {copies} copies (KiB)", kr[1], lr[1]),
]
print(f"{copies} copies of {size}-byte texts; free slot: copies 1-20, shift: copies 21-{copies}")
print(f"| {'measure':48} | {'Kolvex20':>10} | {'listener':>10} | {'ratio':>6} |")
print(f"|{'-' * 50}|{'-' * 12}|{'-' * 12}|{'-' * 8}|")
for label, k, l in rows:
    print(f"| {label:48} | {k:10.1f} | {l:10.1f} | {k / l:5.2f}x |")
EOF
