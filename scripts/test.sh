#!/usr/bin/env bash
# Builds Kolvex20 and runs every test: scenario tests (plain and with sanitizers), the fuzzers
# for a bounded time, and the end-to-end tests of Kolvex20.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

FUZZ_SECONDS="${FUZZ_SECONDS:-20}" bash scripts/run-fuzz.sh

cmake --preset win32
cmake --build --preset win32
ctest --preset win32 -L e2e
