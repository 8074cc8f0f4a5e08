#!/usr/bin/env bash
# Kolvex20.exe imports system DLLs only. The loader resolves an import that is not one of the
# system's known DLLs from the exe's own folder first, so one imported DLL outside this list
# would let a file planted beside the exe (in Downloads, say) run with the user's rights.
# (imm32, for switching the input method off in the settings fields and on the panel, is a
# known DLL too.)
# comctl32 is the one exception: the manifest binds it to the side-by-side system copy.
set -euo pipefail
exe="${KOLVEX_EXE:?}"
objdump="${KOLVEX_OBJDUMP:-x86_64-w64-mingw32-objdump}"

allowed="kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll advapi32.dll ole32.dll
  comdlg32.dll shlwapi.dll ws2_32.dll imm32.dll comctl32.dll"

dump=$("$objdump" -p "$exe")
names=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr 'A-Z' 'a-z')
[ -n "$names" ] || { echo "FAIL: no imports found in $exe" >&2; exit 1; }
bad=0
for n in $names; do
  if ! grep -qw -- "$n" <<<"$allowed"; then
    echo "FAIL: $exe imports $n, which is not a system DLL" >&2
    bad=1
  fi
done
# A DLL loaded by name at run time escapes the import table: the program's own code names no
# LoadLibrary. (The MinGW runtime's rand_s fallback loads the system's advapi32 by name; that
# runs after WinMain has limited the search to the system folder, and advapi32 is a known DLL.)
if grep -rnE '\bLoadLibrary(Ex)?[AW]?\b' "${KOLVEX_SOURCE_DIR:?}/src"; then
  echo "FAIL: the program loads a library by name" >&2
  bad=1
fi
# The search limit comes first in WinMain, before anything else can load a library.
first=$(sed -n '/wWinMain(/,/^}/p' "$KOLVEX_SOURCE_DIR/src/platform/win32/main.cpp" |
  grep -vE '^\s*(//|$)' | sed -n 2p)
if ! grep -q 'SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)' <<<"$first"; then
  echo "FAIL: WinMain does not begin by limiting the DLL search to the system folder" >&2
  bad=1
fi
if ! grep -q 'SetDefaultDllDirectories' <<<"$dump"; then
  echo "FAIL: $exe does not call SetDefaultDllDirectories" >&2
  bad=1
fi
[ $bad -eq 0 ] || exit 1
echo "PASS imports: $(echo $names)"
