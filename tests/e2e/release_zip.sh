#!/usr/bin/env bash
# The release zip holds the exe and its read-me and nothing else (no DLL, no script, no data
# file that a user would unpack beside the exe), and the exe in it is the one that was built.
set -euo pipefail
exe="${KOLVEX_EXE:?}"
src="${KOLVEX_SOURCE_DIR:?}"
out="${KOLVEX_E2E_DIR:?}/release_zip"
rm -rf "$out"
mkdir -p "$out"
zip=$(KOLVEX_ZIP_EXE="$exe" KOLVEX_ZIP_OUT="$out" bash "$src/packaging/make-zip.sh" | tail -n 1)
[ -f "$zip" ] || { echo "FAIL: no zip made" >&2; exit 1; }
version=$(sed -n 's/^project(Kolvex20 VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
# Files only (folders end in /), sorted.
entries=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' "Kolvex20-$version/Kolvex20.exe" "Kolvex20-$version/README-ja.txt" | sort)
if [ "$entries" != "$expected" ]; then
  echo "FAIL: the zip holds:" >&2
  echo "$entries" >&2
  exit 1
fi
unzip -p "$zip" "Kolvex20-$version/Kolvex20.exe" | cmp -s - "$exe" ||
  { echo "FAIL: the exe in the zip is not the built one" >&2; exit 1; }
echo "PASS release zip: $(echo $entries)"
