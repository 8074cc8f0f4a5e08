#!/usr/bin/env bash
# Builds the release zip: Kolvex20.exe and a short Japanese read-me (Shift-JIS, CR LF, so that
# every Japanese Windows shows it correctly). Nothing else goes in: users unpack it into any
# folder, and a DLL shipped beside the exe would be loaded with the user's rights.
#
#   packaging/make-zip.sh   ->  build/win32/Kolvex20-<version>.zip
#
#   KOLVEX_ZIP_EXE   package this exe instead of building build/win32/Kolvex20.exe
#   KOLVEX_ZIP_OUT   folder for the zip and its staging folder (default build/win32)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
exe="${KOLVEX_ZIP_EXE:-}"
out="${KOLVEX_ZIP_OUT:-$root/build/win32}"
if [ -z "$exe" ]; then
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target Kolvex20
  exe=build/win32/Kolvex20.exe
fi
version=$(sed -n 's/^project(Kolvex20 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage="$out/package/Kolvex20-$version"
rm -rf "$stage"
mkdir -p "$stage"
cp "$exe" "$stage/Kolvex20.exe"
sed 's/$/\r/' packaging/README-ja.txt | iconv -f UTF-8 -t CP932 >"$stage/README-ja.txt"
zip="$out/Kolvex20-$version.zip"
rm -f "$zip"
(cd "$(dirname "$stage")" && cmake -E tar cf "$zip" --format=zip "Kolvex20-$version")
echo "$zip"
