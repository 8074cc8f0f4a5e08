#!/usr/bin/env bash
# Keep marks and All Clear on the real panel: keeping a later slot moves its text to the top and
# keeps it there, releasing a kept slot deletes its text and moves the rest up; the files agree
# after the next save (closing). Restarted with all twenty slots kept, a new copy is not stored
# but stays on the clipboard, also when the panel is dropped down; then "All Clear", confirmed,
# leaves twenty empty slot files. Screenshot of the panel with kept and matched slots.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 one two three four five
kx_expand_from_tray

slots_are() { # the visible slot boxes, in creation order
  [ "$(kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3 | tr '\n' ' ')" = "$1" ]
}
checks_are() { # check states of the first N boxes
  [ "$(kx_probe checkboxes TForm3 | head -"$1" | cut -f2 | tr -d '\n')" = "$2" ]
}

# Keep C: its text goes to A, which is kept; A and B move down.
kx_probe click-checkbox TForm3 3
kx_wait 10 "three kept at the top" slots_are "three one two four five "
kx_wait 10 "only A checked" checks_are 5 10000
sleep 0.7  # past the guard window
# Keep D: it joins the kept run at B.
kx_probe click-checkbox TForm3 4
kx_wait 10 "four kept at B" slots_are "three four one two five "
kx_wait 10 "A and B checked" checks_are 5 11000
sleep 0.7
# Put a kept slot's text on the clipboard: the colour pass paints it in the match colour, the
# other kept slot in the kept colour.
kx_copy "four"
kx_wait 10 "caption B" kx_title_is "B：four"
kx_probe tray TForm3 513  # capture alone does not repaint: the tray click asks for a colour pass
sleep 0.5
kx_screenshot kept-and-matched

# Release A: its text is deleted, the rest move up, B's keep mark with them.
kx_probe click-checkbox TForm3 1
kx_wait 10 "three released" slots_are "four one two five "
kx_wait 10 "A checked alone" checks_are 5 10000
kx_wait 10 "slot E's file emptied" kx_file_is "$KX_DATA/Kolvex5.txt" ""

kx_close_from_tray
for pair in 1:four 2:one 3:two 4:five 5: 6:; do
  kx_file_is "$KX_DATA/Kolvex${pair%%:*}.txt" "${pair#*:}" ||
    kx_fail "Kolvex${pair%%:*}.txt holds '$(cat "$KX_DATA/Kolvex${pair%%:*}.txt")', expected '${pair#*:}'"
done
kx_file_is "$KX_DATA/Kolvex20.ini" "A" || kx_fail "keep state '$(cat "$KX_DATA/Kolvex20.ini")'"

# Restart with twenty kept slots: a copy the history cannot take stays for pasting.
for i in $(seq 1 20); do printf 'kept %s' "$i" >"$KX_DATA/Kolvex$i.txt"; done
printf 'T' >"$KX_DATA/Kolvex20.ini"
kx_start_app
kx_wait_panel
kx_copy "not in the history"
kx_wait 10 "the bare text in the caption" kx_title_is "not in the history"
kx_probe tray TForm3 513
kx_wait 10 "expanded panel after restart" kx_panel_expanded
sleep 0.3
[ "$(kx_clipboard)" = "not in the history" ] ||
  kx_fail "the copy left the clipboard: '$(kx_clipboard 2>&1)'"
kx_file_is "$KX_DATA/Kolvex20.txt" "kept 20" || kx_fail "slot T's file changed"

# All Clear.
kx_read "x y" "no All Clear button" child-origin TForm3 "All Clear"
kx_click $((x + 6)) $((y + 6))
question=$(kx_probe dialog-text Kolvex20 60000) || kx_fail "no question before All Clear"
[ "$question" = "クリップボード履歴を全て削除しますか？" ] || kx_fail "question: $question"
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"
all_empty() {
  local i
  for i in $(seq 1 20); do
    [ -f "$KX_DATA/Kolvex$i.txt" ] && [ ! -s "$KX_DATA/Kolvex$i.txt" ] || return 1
  done
}
kx_wait 10 "twenty empty slot files" all_empty
kx_wait 10 "zero height" test "$(kx_panel_height)" -eq 0
checks_are 20 00000000000000000000 || kx_fail "a keep mark survived All Clear"
