#!/usr/bin/env bash
# The session ends (the probe sends the messages of a sign-out and then ends the program, as
# Windows does) after the user corrected a slot in the editor, deleted one and kept one: each
# change was saved when it was made, the session's end asks nothing and shows nothing, saves
# within Windows' time, every file holds exactly what the panel showed, and the program has
# ended. (What the session's end itself saves, when a save
# had failed before, is shown on the simulated desktop.)
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 one two three four five

# A slot's menu item: 削除 is the first of two, 編集 the second.
menu_item() { # menu_item SLOT_TEXT 1|2
  local x y ml mt mr mb
  kx_read "x y" "no slot text '$1'" child-origin TForm3 "$1"
  kx_click $((x + 6)) $((y + 6)) 3
  kx_read "ml mt mr mb" "the slot menu did not open" menu-rect 30000
  kx_click $(((ml + mr) / 2)) $((mt + (2 * $2 - 1) * (mb - mt) / 4))
}
shown_slots() { kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3 | tr '\n' ' '; }

# Correct C in the editor: " fixed" typed at the end of its text.
kx_expand_from_tray
menu_item three 2
kx_wait 10 "the editor window" kx_probe wait-window TForm1 100
read -r l t r b <<<"$(kx_probe client-rect TForm1)"
kx_move $((l + 60)) $((t + 60))
sleep 0.3
kx_click_here; kx_key ctrl+End
kx_type " fixed" 40
kx_read "x y" "no 閉じる in sight" shown-child-center TForm1 閉じる
kx_click "$x" "$y"
kx_probe dialog-action Kolvex20 yes || kx_fail "no question at the editor's close"
kx_wait 10 "the corrected text captured into F" kx_file_is "$KX_DATA/Kolvex6.txt" "three fixed"

# Delete B, then keep A.
kx_expand_from_tray
menu_item two 1
kx_probe dialog-action Kolvex20 yes || kx_fail "no question before deleting"
kx_wait 10 "B deleted" eval '[ "$(shown_slots)" = "one three fixed four five three fixed " ]'
sleep 0.7  # past the guard window of the deletion
kx_probe click-checkbox TForm3 1
kx_wait 10 "A kept" eval '[ "$(kx_probe checkboxes TForm3 | head -1 | cut -f2)" = 1 ]'
sleep 0.3
mapfile -t shown < <(kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3)
kx_file_is "$KX_DATA/Kolvex2.txt" "${shown[1]}" || kx_fail "B's file was not saved with the deletion"

# Two files removed behind the program's back: the session's end writes them again, and answers
# within the 5 seconds Windows gives each of its two messages.
rm "$KX_DATA/Kolvex3.txt" "$KX_DATA/Kolvex20.ini"
answered=$(kx_probe end-session TForm3) || kx_fail "the session's end: $answered"
echo "$answered"
kx_wait 20 "Kolvex20 to end with the session" kx_not_running "$KX_APP_PID"

[ "${#shown[@]}" -eq 5 ] || kx_fail "the panel showed ${#shown[@]} slots: ${shown[*]}"
for i in 1 2 3 4 5; do
  kx_file_is "$KX_DATA/Kolvex$i.txt" "${shown[i - 1]}" ||
    kx_fail "Kolvex$i.txt holds '$(cat "$KX_DATA/Kolvex$i.txt")', the panel showed '${shown[i - 1]}'"
done
for i in $(seq 6 20); do
  kx_file_is "$KX_DATA/Kolvex$i.txt" "" || kx_fail "Kolvex$i.txt is not empty"
done
kx_file_is "$KX_DATA/Kolvex20.ini" "A" || kx_fail "keep state '$(cat "$KX_DATA/Kolvex20.ini")'"
