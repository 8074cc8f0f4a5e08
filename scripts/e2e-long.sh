#!/usr/bin/env bash
# The long variants of the end-to-end crash and burst tests, which take too long for the test
# command: 200 kills of Kolvex20.exe inside its saves, and a burst of 500 texts of 1 byte to
# 1 MiB followed by a 50 MiB text. Each is the same scenario script as in `ctest -L e2e`, with
# larger numbers; the variables of tests/e2e/crash_safety.sh and tests/e2e/burst.sh override
# these defaults (for example KOLVEX_TEXT_BYTES=65536 for smaller slot texts).
#
# With KX_VOLUME=fat the data folder is on a FAT32 volume that scripts/fat-volume.sh mounts, as
# on a USB stick (no links: moved texts are renamed into place).
#
#   scripts/e2e-long.sh [crash|burst|all]     (default all)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"
cmake --preset win32 >/dev/null
cmake --build --preset win32
bin="$root/build/win32"
export KOLVEX_EXE="$bin/Kolvex20.exe" KOLVEX_PROBE="$bin/e2e/kolvex-probe.exe"
export KOLVEX_CHECK="$bin/e2e/kolvex-backend-check.exe" KOLVEX_COPIER="$bin/e2e/kolvex-copier.exe"
export KOLVEX_E2E_DIR="$bin/e2e-long" KOLVEX_SOURCE_DIR="$root"
mkdir -p "$KOLVEX_E2E_DIR"
bash "$root/tests/e2e/prepare_prefix.sh"
if [ "$what" = crash ] || [ "$what" = all ]; then
  KOLVEX_KILLS="${KOLVEX_KILLS:-200}" bash "$root/tests/e2e/crash_safety.sh"
fi
if [ "$what" = burst ] || [ "$what" = all ]; then
  KOLVEX_BURST_COPIES="${KOLVEX_BURST_COPIES:-500}" KOLVEX_BURST_MAX="${KOLVEX_BURST_MAX:-1048576}" \
    KOLVEX_BIG_BYTES="${KOLVEX_BIG_BYTES:-52428800}" KOLVEX_BIG_WAIT="${KOLVEX_BIG_WAIT:-3600}" \
    bash "$root/tests/e2e/burst.sh"
fi
