#!/usr/bin/env bash
# Builds Kolvex20 and runs every test and check: the layout of the changed files, scenario tests
# (plain and with sanitizers; both builds fail on any warning), the CI workflow files
# (actionlint), the fuzzers for a bounded time,
# clang-tidy, and the end-to-end tests of Kolvex20.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

bash scripts/check-format.sh
bash scripts/check-workflows.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

FUZZ_SECONDS="${FUZZ_SECONDS:-20}" bash scripts/run-fuzz.sh

cmake --preset win32
cmake --build --preset win32

bash scripts/check-tidy.sh

ctest --preset win32 -L e2e
