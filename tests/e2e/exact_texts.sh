#!/usr/bin/env bash
# Texts the code page cannot say come back exactly as they were copied. Unicode texts copied
# by another program (é, 〜 as U+301C, emoji, Hangul, €, —, curly quotes, −, a no-break space) are
# stored as their code page bytes with the exact text beside them: the panel's boxes and caption
# show them exactly, a click on a slot's letter puts them back exactly, and so do they after a
# kill -9 and a restart. The slot editor takes a pasted Unicode text and writes it back exactly;
# a sequence run pastes its prefix and suffix exactly into notepad; the definition editor, whose
# file holds code page bytes alone, takes none of a character the code page cannot hold.
. "$(dirname "$0")/lib.sh"
kx_wine_only "kills the exe by its Linux process (kill -9)"
. "$(dirname "$0")/lib_texts.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

texts=("café naïve" "WAVE〜DASH" "emoji 😀 ok" "한국어" "€ 5 — “q” • ½" "a−b no break")
letters=(A B C D E F)

sq_start
for t in "${texts[@]}"; do
  kx_copy "$t"
  sleep 0.4
done
slot_boxes() { kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3; }
boxes_hold_all() {
  local boxes t
  boxes=$(slot_boxes)
  for t in "${texts[@]}"; do grep -qxF "$t" <<<"$boxes" || return 1; done
}
kx_wait 30 "every text in its slot box" boxes_hold_all
kx_title_is "F：a−b no break" || kx_fail "caption: $(kx_probe title TForm3)"
# Each slot file holds code page bytes: an older copy of the program reads it as before.
for i in 1 2 3 4 5 6; do
  [ -s "$KX_DATA/Kolvex$i.txt" ] || kx_fail "Kolvex$i.txt is empty"
  iconv -f CP932 -t UTF-8 "$KX_DATA/Kolvex$i.txt" >/dev/null || kx_fail "Kolvex$i.txt is not CP932"
  ls "$KX_DATA"/Kolvex$i.*.utf8 >/dev/null 2>&1 || kx_fail "no exact form beside Kolvex$i.txt"
done
kx_screenshot exact-texts

clipboard_is_text() { [ "$(kx_clipboard)" = "$1" ]; }
recall_each() {
  local i
  kx_expand_from_tray
  for i in 0 1 2 3 4 5; do
    sq_click_child TForm3 "${letters[$i]}"
    kx_wait 10 "slot ${letters[$i]} exactly on the clipboard" clipboard_is_text "${texts[$i]}"
    kx_wait 10 "caption ${letters[$i]}" kx_title_is "${letters[$i]}：${texts[$i]}"
  done
}
recall_each
# Recalled texts are known as the slots': nothing new entered the history.
[ ! -s "$KX_DATA/Kolvex7.txt" ] || kx_fail "a recall was stored again: $(cat "$KX_DATA/Kolvex7.txt")"

# A kill leaves nothing of the exact texts behind.
kill -9 "$(kx_exe_pid)"
kx_wait 10 "Kolvex20.exe to end" kx_not_running "$KX_APP_PID"
kx_start_app
kx_wait_panel
kx_expand_from_tray
kx_wait 30 "every text in its slot box after the restart" boxes_hold_all
recall_each

# The editor: the text of slot A replaced by a pasted Unicode text, written back exactly.
edited="édité ✓ — fin"
kx_copy "$edited"
kx_wait 10 "the copy in slot G" eval '[ -s "$KX_DATA/Kolvex7.txt" ]'
kx_expand_from_tray
kx_read "x y" "no slot A box" child-origin TForm3 "${texts[0]}"
kx_click $((x + 6)) $((y + 6)) 3
kx_read "ml mt mr mb" "the slot menu did not open" menu-rect 30000
kx_click $(((ml + mr) / 2)) $((mt + 3 * (mb - mt) / 4))
kx_wait 10 "the editor" kx_probe wait-window TForm1 200
read -r l t r b <<<"$(kx_probe client-rect TForm1)"
kx_click $((l + 100)) $((t + 60))
sleep 0.2
kx_key ctrl+a ctrl+v
sleep 0.5
sq_click_child TForm1 "閉じる"
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"
kx_wait 10 "the edited text in slot A's box" eval 'slot_boxes | head -1 | grep -qxF "$edited"'
kx_wait 10 "the edited text on the clipboard" clipboard_is_text "$edited"
kx_wait 10 "caption A with the edited text" kx_title_is "A：$edited"

# A run with a prefix and a suffix beyond the code page pastes them exactly.
kx_expand_from_tray
sq_set_up_run "→" 1 2 "★"
sq_start_run
sq_point_at_notepad
sq_ctrl_tap
sq_click_inserts "→1★"
sq_ctrl_tap
sq_click_inserts "→1★→2★"
sq_run_ended

# The definition editor takes the characters of a pasted text up to the first one the code
# page cannot hold, and its file stays code page bytes.
kx_copy "ab😀cd"
sleep 0.5
kx_expand_from_tray
sq_click_child TForm3 "連番入力"
kx_wait 10 "the settings window" sq_settings_shown
sq_click_child TForm1 "連番定義"
sq_click_in TForm1 200 18 # 定義1's radio button
sq_click_in TForm1 40 40  # the values box
kx_key ctrl+v
sleep 0.3
sq_click_child TForm1 "設定終了"
definition_stored() { grep -q "$(printf '\x92\xe8\x8b\x60')1,ab" "$KX_DATA/Kolvex20.ini"; }
kx_wait 10 "definition 1 stored" definition_stored
iconv -f CP932 -t UTF-8 "$KX_DATA/Kolvex20.ini" | tr -d '\r' | grep -qx "定義1,ab" ||
  kx_fail "definition 1: $(iconv -f CP932 -t UTF-8 "$KX_DATA/Kolvex20.ini" | sed -n 2p)"
