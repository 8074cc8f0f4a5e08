#!/usr/bin/env bash
# A store that an earlier version wrote with two slots in one file (a hard link, link count 2):
# after a start each slot file has its own file, so a program that writes one in place (as an
# editor saving it does) changes only that slot.
. "$(dirname "$0")/lib.sh"
kx_wine_only "makes the two names of one file with ln"
kx_setup
printf 'first' >"$KX_DATA/Kolvex1.txt"
printf 'same' >"$KX_DATA/Kolvex2.txt"
ln "$KX_DATA/Kolvex2.txt" "$KX_DATA/Kolvex3.txt"
for i in $(seq 4 20); do : >"$KX_DATA/Kolvex$i.txt"; done
: >"$KX_DATA/Kolvex20.ini"
[ "$(stat -c %h "$KX_DATA/Kolvex3.txt")" = 2 ] || kx_fail "ln made no second name here"

links() { stat -c %h "$KX_DATA/Kolvex2.txt" "$KX_DATA/Kolvex3.txt" | tr '\n' ' '; }
one_each() { [ "$(links)" = "1 1 " ] || { echo "link counts $(links)"; return 1; }; }
kx_start_app
kx_wait_panel
kx_wait 30 "each slot file its own file" one_each
kx_file_is "$KX_DATA/Kolvex3.txt" same || kx_fail "Kolvex3.txt lost its text"
# Written in place, as a program that opens it and writes it over does.
printf 'written in place' >"$KX_DATA/Kolvex2.txt"
kx_file_is "$KX_DATA/Kolvex3.txt" same || kx_fail "writing Kolvex2.txt changed Kolvex3.txt"
kx_close_from_tray
kx_file_is "$KX_DATA/Kolvex3.txt" same || kx_fail "Kolvex3.txt changed at the close"
