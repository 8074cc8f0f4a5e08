#!/usr/bin/env bash
# Fails when a C++ file changed since BASE is not laid out as .clang-format says.
# BASE: the first argument, else $FORMAT_BASE, else the commit before HEAD (for a merge, its first
# parent: everything the merge brought). Uncommitted and new files count as changed.
set -euo pipefail
cd "$(dirname "$0")/.."
base="${1:-${FORMAT_BASE:-HEAD~1}}"
if ! git rev-parse -q --verify "$base^{commit}" >/dev/null; then
  base=$(git hash-object -t tree /dev/null)  # no such commit: every file counts as changed
fi
mapfile -t files < <({
  git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h'
  git ls-files --others --exclude-standard -- '*.cpp' '*.h'
} | sort -u)
if ((${#files[@]} == 0)); then
  echo "clang-format: no C++ file changed since $base"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} changed file(s) as .clang-format says"
