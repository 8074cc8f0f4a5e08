#!/usr/bin/env bash
# A data folder that can no longer be written after the start (made immutable, as a read-only
# share or a write-protected stick is): copies are taken at once, the user is told once with the
# file and the reason, the history works in memory; writable again, the next copy saves every
# text still pending.
. "$(dirname "$0")/lib.sh"
kx_setup
kx_start_wm
# Whatever happens, the folder is left writable for the next run.
trap 'st=$?; chattr -i "$KX_DATA" 2>/dev/null; (exit $st); kx_cleanup' EXIT

kx_start_app
kx_wait_panel
kx_copy one
kx_wait 30 "one in Kolvex1.txt" kx_file_is "$KX_DATA/Kolvex1.txt" one
chattr +i "$KX_DATA" || kx_fail "the data folder cannot be made read-only here"
touch "$KX_DATA/probe" 2>/dev/null && kx_fail "the data folder is still writable"

kx_copy two
kx_wait 10 "caption B" kx_title_is "B：two"
message=$(kx_probe dialog-text Kolvex20 60000) || kx_fail "no message for the folder"
echo "$message" | grep -q "Kolvex2.txt" || kx_fail "the message names no file: $message"
echo "message: $message"
kx_probe dialog-ok Kolvex20 || kx_fail "could not close the message"
for t in three four; do
  kx_copy "$t"
  kx_wait 10 "the copy $t in the caption" kx_title_is "$( [ $t = three ] && echo C || echo D)：$t"
done
! kx_probe dialog-text Kolvex20 1500 || kx_fail "told again at a later copy"
kx_file_is "$KX_DATA/Kolvex2.txt" "" || kx_fail "Kolvex2.txt changed in a read-only folder"

chattr -i "$KX_DATA"
kx_copy five
for i in 2 3 4 5; do
  t=$(echo "x two three four five" | cut -d' ' -f"$i")
  kx_wait 10 "Kolvex$i.txt saved" kx_file_is "$KX_DATA/Kolvex$i.txt" "$t"
done
! kx_probe dialog-text Kolvex20 1000 || kx_fail "a message after the folder could be written"
kx_close_from_tray
