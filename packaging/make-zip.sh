#!/usr/bin/env bash
# Builds the release zip: Kolvex20.exe and a short Japanese read-me (Shift-JIS, CR LF, so that
# every Japanese Windows shows it correctly).
#
#   packaging/make-zip.sh   ->  build/win32/Kolvex20-<version>.zip
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kolvex20
version=$(sed -n 's/^project(Kolvex20 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage="$root/build/win32/package/Kolvex20-$version"
rm -rf "$stage"
mkdir -p "$stage"
cp build/win32/Kolvex20.exe "$stage/"
sed 's/$/\r/' packaging/README-ja.txt | iconv -f UTF-8 -t CP932 >"$stage/README-ja.txt"
zip="$root/build/win32/Kolvex20-$version.zip"
rm -f "$zip"
(cd "$(dirname "$stage")" && cmake -E tar cf "$zip" --format=zip "Kolvex20-$version")
echo "$zip"
