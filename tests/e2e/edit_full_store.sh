#!/usr/bin/env bash
# An edit in a full store loses no other text. Twenty slots filled, A and B kept (as a previous
# session left them), the text of D edited with 編集 and closed with はい: the capture inside the
# close moves the unkept texts one slot towards A (C's text, the oldest unkept one, goes) and
# stores the edited text in T; the edited text then stands where D's entry went, in C. Every
# other text is still there, in the panel's files exactly one slot on.
. "$(dirname "$0")/lib.sh"
kx_setup
kx_start_wm

for i in $(seq 1 20); do printf 'text %s' "$i" >"$KX_DATA/Kolvex$i.txt"; done
printf 'B' >"$KX_DATA/Kolvex20.ini"
kx_start_app
kx_wait_panel
kx_probe checkboxes TForm3 | head -3 | cut -f2 | tr -d '\n' | grep -qx 110 ||
  kx_fail "A and B are not kept at start: $(kx_probe checkboxes TForm3 | head -3 | tr '\n' ' ')"

kx_expand_from_tray
kx_read "x y" "no slot text 'text 4'" child-origin TForm3 "text 4"
kx_click $((x + 6)) $((y + 6)) 3
kx_read "ml mt mr mb" "the slot menu did not open" menu-rect 30000
kx_click $(((ml + mr) / 2)) $((mt + 3 * (mb - mt) / 4)) # 編集, the second of two items
kx_wait 10 "the editor on slot D" bash -c "[ \"\$(wine '$KOLVEX_PROBE' title TForm1)\" = Kolvex20:編集D ]"
# The caption is set before the window is placed and shown: its place is read once it is in
# front and stands still (read earlier, the click went to the hidden window's first place).
kx_wait 30 "the editor in front" kx_in_front TForm1
kx_wait 10 "the editor to stand still" kx_window_still TForm1
read -r l t _ _ <<<"$(kx_probe client-rect TForm1)"
kx_click $((l + 60)) $((t + 60))
kx_key ctrl+End
for n in $(seq 1 8); do kx_key BackSpace; done
kx_type "edited D"
kx_wait 10 "the edited text in the editor" bash -c "wine '$KOLVEX_PROBE' controls TForm1 | grep -q '^Edit	1	edited D\$'"
kx_read "x y" "no 閉じる in sight" shown-child-center TForm1 閉じる
kx_click "$x" "$y"
question=$(kx_probe dialog-text Kolvex20 60000) || kx_fail "no question at the close"
[ "$question" = "編集を終了しますか？" ] || kx_fail "question: $question"
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"

expected=("text 1" "text 2" "edited D")
for i in $(seq 5 20); do expected+=("text $i"); done
expected+=("edited D")
kx_wait 30 "the edited text in T" kx_file_is "$KX_DATA/Kolvex20.txt" "edited D"
kx_wait 10 "the edited text in C" kx_file_is "$KX_DATA/Kolvex3.txt" "edited D"
for i in $(seq 1 20); do
  kx_file_is "$KX_DATA/Kolvex$i.txt" "${expected[$((i - 1))]}" ||
    kx_fail "slot $i's file holds '$(cat "$KX_DATA/Kolvex$i.txt")', not '${expected[$((i - 1))]}'"
done
kx_title_is "C：edited D" || kx_fail "caption: $(kx_probe title TForm3)"
# What the panel shows is what the files hold (its slot texts in order A..T).
shown=$(kx_probe controls TForm3 | awk -F'\t' '$1 == "Edit" && $2 == 1 {print $3}' | head -20)
[ "$shown" = "$(printf '%s\n' "${expected[@]}")" ] || kx_fail "the panel shows:
$shown"
kx_screenshot edit-full-store
kx_close_from_tray
for i in $(seq 1 20); do
  kx_file_is "$KX_DATA/Kolvex$i.txt" "${expected[$((i - 1))]}" || kx_fail "slot $i's file after closing"
done
