#!/usr/bin/env bash
# A kill (or a power loss) never undoes the user's last change: a slot deleted from the panel,
# then kill -9, then a restart shows the panel as it was after the deletion; a slot kept, then
# kill -9, stays kept after the restart; a text edited in the slot editor stays edited.
. "$(dirname "$0")/lib.sh"
kx_wine_only "kills the exe by its Linux process (kill -9)"
. "$(dirname "$0")/lib_texts.sh"
kx_setup

slot_boxes() { kx_probe controls TForm3 | grep '^Edit	1	' | cut -f3 | tr '\n' ' '; }
boxes_are() { [ "$(slot_boxes)" = "$1" ]; }
checks_are() { [ "$(kx_probe checkboxes TForm3 | head -"$1" | cut -f2 | tr -d '\n')" = "$2" ]; }
kill_and_restart() {
  kill -9 "$(kx_exe_pid)"
  kx_wait 10 "Kolvex20.exe to end" kx_not_running "$KX_APP_PID"
  kx_start_app
  kx_wait_panel
  kx_expand_from_tray
}
# A real click on the keep-mark box of slot N (left column for odd slots).
click_keep_box() {
  local left top
  read -r left top _ _ <<<"$(kx_probe client-rect TForm3)"
  local row=$((($1 + 1) / 2)) x=152
  [ $(($1 % 2)) -eq 0 ] && x=316
  kx_click $((left + x)) $((top + 38 + 25 * (row - 1)))
}

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 alpha beta gamma delta epsilon
kx_expand_from_tray

# Delete B: the later slots move up.
kx_read "x y" "no slot beta" child-origin TForm3 beta
kx_click $((x + 6)) $((y + 6)) 3
kx_read "ml mt mr mb" "the slot menu did not open" menu-rect 30000
kx_click $(((ml + mr) / 2)) $((mt + (mb - mt) / 4))
kx_probe dialog-action Kolvex20 yes || kx_fail "could not answer yes"
kx_wait 10 "the panel after the deletion" boxes_are "alpha gamma delta epsilon "
sleep 0.3
kill_and_restart
kx_wait 10 "the panel as after the deletion" boxes_are "alpha gamma delta epsilon "

# Keep C (delta): it moves up to A and is kept; A and B move down.
click_keep_box 3
kx_wait 10 "delta kept in A" boxes_are "delta alpha gamma epsilon "
kx_wait 10 "A's keep mark" checks_are 4 1000
sleep 0.3
kill_and_restart
kx_wait 10 "the panel as after the keep" boxes_are "delta alpha gamma epsilon "
kx_wait 10 "A still kept" checks_are 4 1000
