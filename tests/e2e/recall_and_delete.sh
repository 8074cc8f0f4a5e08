#!/usr/bin/env bash
# The panel operated with the mouse: a click on a slot's letter button or on its text box puts
# the slot's text back on the clipboard and names it in the caption, and no caret shows in the
# box; hovering a text box shows its whole text as a tooltip; a right click on a text box opens
# its menu, and "削除" after the question deletes the slot, moving the later slots up.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 alpha beta gamma
kx_expand_from_tray

click_child() { # click_child TEXT [BUTTON]
  local x y
  kx_read "x y" "no control '$1'" child-origin TForm3 "$1"
  kx_click $((x + 6)) $((y + 6)) "${2:-1}"
}
clipboard_is() { [ "$(kx_probe clip-hex)" = "$(kx_hex "$1")" ]; }

click_child A
kx_wait 10 "alpha on the clipboard" clipboard_is alpha
kx_wait 10 "caption A" kx_title_is "A：alpha"

click_child beta
kx_wait 10 "beta on the clipboard" clipboard_is beta
kx_wait 10 "caption B" kx_title_is "B：beta"
# A slot box never keeps the focus nor shows a caret, and a double click selects nothing to be
# seen (no blue of the selection inside the green of the matched box).
sleep 0.3
if caret=$(kx_probe caret TForm3); then kx_fail "a caret in the panel: $caret"; fi
click_child beta
kx_click_here
sleep 0.3
read -r l t r b <<<"$(kx_probe child-rect TForm3 beta)"
colours=$(kx_screen_colours $((l + 2)) $((t + 2)) $((r - 2)) $((b - 2)))
read -r _ blue _ <<<"$colours"
[ "$blue" -lt 77 ] || kx_fail "a selection shows in the slot box (blue over red by $blue)"

read -r x y <<<"$(kx_probe child-origin TForm3 gamma)"
kx_move $((x + 20)) $((y + 8))
sleep 0.2
kx_move $((x + 24)) $((y + 9))
tooltip_gamma() { kx_probe tooltip | grep -qx gamma; }
kx_wait 10 "the tooltip with gamma" tooltip_gamma

click_child alpha 3
menu=$(kx_probe menu-rect 30000) || kx_fail "the slot menu did not open"
read -r ml mt mr mb <<<"$menu"
# Two items, 削除 first.
kx_click $(((ml + mr) / 2)) $((mt + (mb - mt) / 4))
question=$(kx_probe dialog-text Kolvex20 60000) || kx_fail "no question before deleting"
echo "question: $question"
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"
slot_c_empty() { [ -f "$KX_DATA/Kolvex3.txt" ] && [ ! -s "$KX_DATA/Kolvex3.txt" ]; }
kx_wait 10 "slot C's file emptied" slot_c_empty
visible=$(kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3 | tr '\n' ' ')
[ "$visible" = "beta gamma " ] || kx_fail "visible slots after the delete: $visible"
clipboard_is beta || kx_fail "the clipboard changed"
