#!/usr/bin/env bash
# Builds Kolvex20 on Windows and runs its tests there: the scenario tests on the simulated
# desktop and the end-to-end scenarios against the real Kolvex20.exe on this desktop (no Wine).
# Run from the "MSYS2 MinGW x64" shell (or Git Bash with MSYS2's MinGW-w64 tools on PATH):
#
#   bash scripts/test-windows.sh            build, scenario tests, end-to-end tests
#   KX_WAIT_SCALE=2 bash scripts/test-windows.sh    the same with every wait twice as long
#   ctest --preset windows -L windows       afterwards: only the checks of what a real Windows
#                                           confirms (README, "Running the suite on Windows")
#
# The end-to-end scenarios move the pointer, click and type on this desktop: leave the mouse and
# keyboard alone while they run (about five minutes), and keep the screen unlocked. Scenarios
# that need what only Wine has print "SKIPPED on Windows: <why>" and show as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) ;;
  *) echo "run this on Windows (Git Bash or MSYS2); on Linux use scripts/test.sh" >&2; exit 1 ;;
esac

# MSYS2's packages, installed when pacman is there and one is missing.
packages=(mingw-w64-x86_64-gcc mingw-w64-x86_64-cmake mingw-w64-x86_64-ninja
  mingw-w64-x86_64-gtest mingw-w64-x86_64-benchmark mingw-w64-x86_64-python zip unzip)
if command -v pacman >/dev/null; then
  missing=()
  for p in "${packages[@]}"; do pacman -Q "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if ((${#missing[@]})); then pacman -S --needed --noconfirm "${missing[@]}"; fi
fi
for tool in g++ cmake ninja objdump python3 unzip; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (see README, Windows)" >&2; exit 1; }
done

cmake --preset windows
cmake --build --preset windows
# The simulated desktop's tests, then the end-to-end scenarios on this desktop.
ctest --preset windows -LE e2e
KOLVEX_OBJDUMP=objdump ctest --preset windows -L e2e
