#!/usr/bin/env bash
# On a Windows whose system code page is 1252 (a Wine prefix started without a Japanese locale)
# the program reads as on a Japanese one: its buttons, caption and messages are Japanese, and its
# files and clipboard bytes are code page 932 as they are on a Japanese Windows.
. "$(dirname "$0")/lib.sh"
kx_wine_only "a system code page of 1252 is a Wine prefix of its own here; on Windows it takes the system locale and a restart"

# A prefix of its own, booted without a Japanese locale.
template="$KOLVEX_E2E_DIR/prefix-1252"
if [ ! -f "$template/.kolvex-ready" ]; then
  rm -rf "$template"
  (
    kx_wine_env "$template"
    export LC_ALL=C.UTF-8 LANG=C.UTF-8
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    # Windows 10 and 11 have MS PGothic whatever their language; this Wine has a look-alike.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS PGothic' /d IPAPGothic /f \
      >/dev/null 2>&1
    wineserver -w
  ) || kx_fail "could not boot a prefix with code page 1252"
  touch "$template/.kolvex-ready"
fi
rm -rf "$KX_WORK"
mkdir -p "$KX_DATA" "$KX_ARTIFACTS"
trap kx_cleanup EXIT
kx_clone_prefix "$template" "$KX_WORK/prefix"
kx_wine_env "$KX_WORK/prefix"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
kx_start_xvfb
acp=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP | tr -d '\r' |
  awk '/ACP/ { print $3 }')
[ "$acp" = 1252 ] || kx_fail "the prefix's code page is $acp"

kx_start_app
kx_wait_panel
kx_copy "テスト café"
kx_wait 30 "slot A's file" test -s "$KX_DATA/Kolvex1.txt"
od -An -tx1 "$KX_DATA/Kolvex1.txt" | grep -q '83 65 83 58 83 67 20 63 61 66' ||
  kx_fail "Kolvex1.txt: $(od -An -tx1 "$KX_DATA/Kolvex1.txt")"
kx_wait 10 "caption A" kx_title_is "A：テスト café"
kx_expand_from_tray
controls=$(kx_probe controls TForm3)
for word in "連番入力" "All Clear" "テスト café"; do
  grep -qF "	$word" <<<"$controls" || kx_fail "the panel does not show '$word': $controls"
done
kx_screenshot code-page-1252

read -r x y <<<"$(kx_probe child-origin TForm3 A)"
kx_copy "other"
sleep 1
kx_expand_from_tray
kx_click $((x + 6)) $((y + 6))
clipboard_is_text() { [ "$(kx_clipboard)" = "$1" ]; }
kx_wait 10 "the recalled text on the clipboard" clipboard_is_text "テスト café"

# The second start's message is Japanese too.
mkdir -p "$KX_WORK/second"
kx_start_app "$KX_WORK/second"
text=$(kx_probe dialog-text Kolvex20 30000) || kx_fail "no message box from the second start"
[ "$text" = "Kolvex20は起動中です" ] || kx_fail "message box says '$text'"
kx_probe dialog-ok Kolvex20 || kx_fail "could not press OK"
