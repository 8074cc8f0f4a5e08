#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for a bounded time on a copy of its
# seed corpus in fuzz/corpus/<target>/. Exits non-zero when a target finds anything.
#
#   KOLVEX_FUZZ_SECONDS  time per target (default: FUZZ_SECONDS, else 30)
#   KOLVEX_FUZZ_TARGETS  targets to run (default: every fuzz/*_fuzz.cpp)
#   KOLVEX_FUZZ_BIN_DIR  where the built targets are (default build/fuzz/fuzz); set it together
#                        with KOLVEX_FUZZ_NO_BUILD=1 to run targets built elsewhere
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${KOLVEX_FUZZ_SECONDS:-${FUZZ_SECONDS:-30}}"
bin_dir="${KOLVEX_FUZZ_BIN_DIR:-$root/build/fuzz/fuzz}"
if [[ -n "${KOLVEX_FUZZ_TARGETS:-}" ]]; then
  read -r -a targets <<<"$KOLVEX_FUZZ_TARGETS"
else
  targets=()
  for source in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

if [[ "${KOLVEX_FUZZ_NO_BUILD:-0}" != 1 ]]; then
  cmake --preset fuzz
  cmake --build --preset fuzz --target "${targets[@]}"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="$root/build/fuzz/artifacts"
mkdir -p "$artifacts"

failed=()
for target in "${targets[@]}"; do
  echo "== $target: ${seconds}s"
  # New inputs go to a scratch corpus; the committed seeds are only read.
  mkdir -p "$work/$target"
  seeds=()
  [[ -d "fuzz/corpus/$target" ]] && seeds=("fuzz/corpus/$target")
  # The progress lines go to a log; the closing statistics (or the whole report of a finding)
  # are shown.
  log="$artifacts/$target.log"
  if "$bin_dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
      "$work/$target" "${seeds[@]}" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    tail -n 60 "$log"
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "Fuzzing found problems in: ${failed[*]} (inputs in $artifacts)" >&2
  exit 1
fi
echo "All fuzz targets ran clean."
