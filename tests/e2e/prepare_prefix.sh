#!/usr/bin/env bash
# Boots the Wine prefix that the end-to-end tests copy (once per build tree).
set -euo pipefail
. "$KOLVEX_SOURCE_DIR/scripts/wine-env.sh"
case "$(uname -s)" in MINGW* | MSYS* | CYGWIN*) echo "Windows: no prefix needed"; exit 0 ;; esac
start=$(date +%s)
kx_prepare_prefix "$KOLVEX_E2E_DIR/prefix-template" own-frames
echo "Wine prefix ready in $(( $(date +%s) - start )) s: $KOLVEX_E2E_DIR/prefix-template"
