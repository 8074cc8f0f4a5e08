#!/usr/bin/env bash
# First start in an empty folder, the history of copied texts (ASCII and Japanese), a copy of a
# text already held, the panel dropped down from the tray icon (screenshot), and closing from
# the icon's menu (one right click, the panel left as it is), which writes all 21 files back.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel

# First start: twenty empty slot files and an empty definition file.
files=(Kolvex20.ini)
for i in $(seq 1 20); do files+=("Kolvex$i.txt"); done
all_empty() {
  local f
  for f in "${files[@]}"; do [ -f "$KX_DATA/$f" ] && [ ! -s "$KX_DATA/$f" ] || return 1; done
}
kx_wait 30 "21 zero-byte files" all_empty
[ "$(ls "$KX_DATA" | wc -l)" -eq 21 ] || kx_fail "unexpected files: $(ls "$KX_DATA")"

first='Hello Kolvex 1'
second='second copy, with  spaces'
japanese='テスト日本語のコピー'

kx_copy "$first"
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" "$first"
kx_wait 10 "caption A" kx_title_is "A：$first"
# The panel is folded to its strip, yet a program that reads slot A's box gets the new text.
[ "$(kx_probe text-hex TForm3 Edit)" = "$(printf '%s' "$first" | od -An -tx1 | tr -d ' \n')" ] ||
  kx_fail "slot A's box hands out '$(kx_probe text-hex TForm3 Edit)' while the panel is folded"

kx_copy "$second"
kx_wait 30 "slot B file" kx_file_is "$KX_DATA/Kolvex2.txt" "$second"
kx_wait 10 "caption B" kx_title_is "B：$second"
kx_file_is "$KX_DATA/Kolvex1.txt" "$first" || kx_fail "slot A changed"

# A text that a slot already holds is only named in the caption: no file is touched.
snapshot() { (cd "$KX_DATA" && stat -c '%n %i %s %.9Y' "${files[@]}"); }
before=$(snapshot)
kx_copy "$first"
kx_wait 10 "caption back on A" kx_title_is "A：$first"
sleep 1 # a late write would show up within this grace period
[ "$(snapshot)" = "$before" ] || kx_fail "copying a held text changed files:
$before
---
$(snapshot)"
[ "$(ls "$KX_DATA" | wc -l)" -eq 21 ] || kx_fail "stray files: $(ls "$KX_DATA")"

# Japanese text: stored as the system code page's bytes (CP932), shown correctly in the caption.
kx_copy "$japanese"
expected="$KX_WORK/japanese.cp932"
printf '%s' "$japanese" | iconv -f UTF-8 -t CP932 >"$expected"
kx_wait 30 "slot C file" cmp -s "$KX_DATA/Kolvex3.txt" "$expected"
kx_wait 10 "caption C" kx_title_is "C：$japanese"
[ "$(kx_probe clip-hex)" = "$(od -An -tx1 "$expected" | tr -d ' \n')" ] ||
  kx_fail "clipboard does not hold the CP932 bytes"

# The tray icon's left click drops the panel down with a row per filled slot.
kx_probe tray TForm3 513
kx_wait 10 "expanded panel" kx_panel_expanded
# Slots A..C filled: rows 1 and 2, 55 + 25 * 2 layout pixels (96 DPI under Wine).
[ "$(kx_panel_height)" -eq 105 ] || kx_fail "panel height $(kx_panel_height), expected 105"
# Each filled slot's box shows its text as soon as the panel is down, before anything reads it:
# dark glyphs inside the box.
sleep 0.5 # painted
while read -r l t r b; do
  colours=$(kx_screen_colours $((l + 4)) $((t + 4)) $((r - 4)) $((b - 4)))
  read -r darkest _ _ <<<"$colours"
  [ "$darkest" -lt 128 ] || kx_fail "the slot box at $l,$t shows no text (darkest $darkest)"
done < <(kx_probe shown-rects TForm3 Edit)
controls=$(kx_probe controls TForm3)
for text in "$first" "$second" "$japanese"; do
  grep -qxF "Edit	1	$text" <<<"$controls" || kx_fail "no visible slot box with '$text'"
done
visible_edits=$(grep -c '^Edit	1	' <<<"$controls" || true)
[ "$visible_edits" -eq 3 ] || kx_fail "$visible_edits visible slot boxes, expected 3"

# Keeping slot A from its check box: the box shows the check, and the keep state is saved at
# close (line 0 of the definition file names the last kept slot).
kx_probe click-checkbox TForm3 1
first_checked() { [ "$(kx_probe checkboxes TForm3 | head -1)" = "1	1" ]; }
kx_wait 10 "check box A checked" first_checked
kx_screenshot panel

# A press on the title bar folds the expanded panel to its title-bar strip, the next one drops
# it down again.
title_bar() {
  local r
  r=$(kx_probe rect TForm3)
  set -- $r
  echo "$(( ($1 + $3) / 2 )) $(( $2 + 8 ))"
}
panel_folded() { [ "$(kx_panel_height)" -lt 50 ] && [ "$(kx_panel_height)" -gt 0 ]; }
kx_click $(title_bar)
kx_wait 10 "the strip after a title-bar click" panel_folded
sleep 0.6 # two presses within the double-click time would be a double click (zero height)
kx_click $(title_bar)
kx_wait 10 "the panel dropped down by a title-bar click" kx_panel_expanded
# A double click on the title bar leaves nothing of the panel; the tray icon brings it back.
sleep 0.6
kx_click $(title_bar) 1 2
zero_height() { [ "$(kx_panel_height)" -eq 0 ]; }
kx_wait 10 "zero height after a double click" zero_height
kx_probe tray TForm3 513
kx_wait 10 "the panel dropped down from the tray icon" kx_panel_expanded

# On a busy machine the task bar hands the click on the icon over well after it took the
# activation: the menu still opens and the dropped-down panel is left as it is.
height=$(kx_panel_height)
out=$(kx_probe slow-taskbar-click TForm3 516 1500) || kx_fail "the stand-in task bar: $out"
kx_probe menu-rect 30000 >/dev/null || kx_fail "no menu after the task bar's late click"
[ "$(kx_panel_height)" -eq "$height" ] ||
  kx_fail "the panel changed as the menu of a late click opened: height $(kx_panel_height)"
kx_key Escape
kx_wait 30 "the menu to close" eval '! kx_probe menu-rect 100 >/dev/null'
# Wine's own notification area passes the foreground to nobody before its window takes it, and
# says so to the program that loses it: the panel still waits for the click.
if [ -z "$KX_ON_WINDOWS" ]; then
  out=$(kx_probe slow-taskbar-click TForm3 516 1000 via-nobody) ||
    kx_fail "the stand-in task bar after nobody: $out"
  kx_probe menu-rect 30000 >/dev/null || kx_fail "no menu after the click through nobody"
  [ "$(kx_panel_height)" -eq "$height" ] ||
    kx_fail "the panel changed as the foreground passed through nobody: height $(kx_panel_height)"
  kx_key Escape
  kx_wait 30 "the menu to close" eval '! kx_probe menu-rect 100 >/dev/null'
fi

# Closing writes every file back: remove them all and see them come back with the slots. One
# real right click on the icon (in Wine's own notification area, or on Windows where the icon
# is) opens its menu at once and leaves the dropped-down panel as it is; "閉じる" there closes.
rm -f "$KX_DATA"/*
height=$(kx_panel_height)
read -r l t r b where <<<"$(kx_tray_icon_rect || true)"
# Windows 11 puts a new icon into the overflow ("^"): the keyboard opens it (Win+B gives the
# notification area the focus, on the "^" button; Enter opens it), and the right click is made
# there.
if kx_windows_only "the notification area's overflow (^) is Windows' own" "Windows 11"; then
  if [ "$where" = Shell_TrayWnd ]; then
    echo "needs Windows 11 with Kolvex20's icon in the overflow (^): it is on the taskbar here"
  else
    kx_key super+b Return
    overflow_shows_icon() {
      local where
      read -r _ _ _ _ where <<<"$(kx_tray_icon_rect || true)"
      case "$where" in
        TopLevelWindowForOverflowXamlIsland | NotifyIconOverflowWindow) ;;
        *) echo "the icon's place shows '$where'"; return 1 ;;
      esac
    }
    kx_wait 10 "the overflow to show the icon" overflow_shows_icon
    read -r l t r b where <<<"$(kx_tray_icon_rect)"
    echo "the icon in the overflow ($where) at $l,$t"
  fi
fi
[ -n "$where" ] || kx_fail "no icon in the notification area"
kx_click $(((l + r) / 2)) $(((t + b) / 2)) 3
menu=$(kx_probe menu-rect 30000) || kx_fail "no menu after one right click"
read -r ml mt mr mb <<<"$menu"
[ "$(kx_panel_height)" -eq "$height" ] || kx_fail "the panel changed: height $(kx_panel_height)"
kx_click $(((ml + mr) / 2)) $(((mt + mb) / 2))
kx_wait 30 "Kolvex20 to end" kx_not_running "$KX_APP_PID"
kx_file_is "$KX_DATA/Kolvex1.txt" "$first" || kx_fail "Kolvex1.txt after close"
kx_file_is "$KX_DATA/Kolvex2.txt" "$second" || kx_fail "Kolvex2.txt after close"
cmp -s "$KX_DATA/Kolvex3.txt" "$expected" || kx_fail "Kolvex3.txt after close"
for i in $(seq 4 20); do
  [ -f "$KX_DATA/Kolvex$i.txt" ] && [ ! -s "$KX_DATA/Kolvex$i.txt" ] || kx_fail "Kolvex$i.txt after close"
done
kx_file_is "$KX_DATA/Kolvex20.ini" "A" || kx_fail "Kolvex20.ini after close: $(od -c "$KX_DATA/Kolvex20.ini")"
[ "$(ls "$KX_DATA" | wc -l)" -eq 21 ] || kx_fail "after close: $(ls "$KX_DATA")"

# The next start loads the history again.
kx_start_app
kx_wait_panel
kx_probe tray TForm3 513
kx_wait 10 "expanded panel after restart" kx_panel_expanded
grep -qxF "Edit	1	$japanese" <<<"$(kx_probe controls TForm3)" || kx_fail "slot C not loaded"
[ "$(kx_probe checkboxes TForm3 | head -2 | tr '\n' ' ')" = "1	1 1	0 " ] ||
  kx_fail "keep mark of A not restored: $(kx_probe checkboxes TForm3 | head -2)"

# The system's close of the panel (Alt+F4; it has no close box) ends the program too.
kx_probe syscommand TForm3 close
kx_wait 30 "Kolvex20 to end with its panel" kx_not_running "$KX_APP_PID"
