#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over the program, its tests and benchmarks: the
# portable code with the native build's compile commands, the Win32 backend and the helper
# programs of the end-to-end tests with the MinGW build's. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${TIDY_JOBS:-2}"
[[ -f build/native/compile_commands.json ]] || cmake --preset native >/dev/null
[[ -f build/win32/compile_commands.json ]] || cmake --preset win32 >/dev/null

failed=0
run-clang-tidy -quiet -j "$jobs" -p build/native "$PWD/(src|tests|bench)/" || failed=1

# clang reads the MinGW build with MinGW's C++ library and Windows headers, and its own builtins
# (GCC's intrinsics headers are GCC's alone).
mingw_args=(-extra-arg=--target=x86_64-w64-mingw32)
while read -r dir; do
  mingw_args+=("-extra-arg=-isystem$dir")
done < <(echo | x86_64-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' |
  grep '^ /' | grep -v -e '/include$' -e '/include-fixed$' | sed 's/^ //')
run-clang-tidy -quiet -j "$jobs" -p build/win32 "${mingw_args[@]}" \
  "$PWD/(src/platform/win32|tests/e2e|bench/listener)/" || failed=1
if ((failed)); then
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: no findings"
