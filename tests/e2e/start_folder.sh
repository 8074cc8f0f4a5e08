#!/usr/bin/env bash
# Started with C:\windows\system32 as its current folder (a shortcut without a working folder,
# an autostart entry), the program reads and writes the files in its own folder and leaves the
# system folder alone. Every other current folder stays the program's folder (all the other
# scenarios start it in their data folder, away from the exe).
. "$(dirname "$0")/lib.sh"
kx_wine_only "looks into the Wine prefix's system folders"
kx_setup

cp "$KOLVEX_EXE" "$KX_DATA/Kolvex20.exe"
for i in $(seq 1 20); do : >"$KX_DATA/Kolvex$i.txt"; done
printf 'from before' >"$KX_DATA/Kolvex1.txt"
printf 'A' >"$KX_DATA/Kolvex20.ini"
system32="$WINEPREFIX/drive_c/windows/system32"
(cd "$system32" && exec wine "$KX_DATA/Kolvex20.exe") >"$KX_WORK/app.log" 2>&1 &
KX_APP_PID=$!
KX_PIDS+=("$KX_APP_PID")
kx_wait_panel

kx_probe controls TForm3 | grep -qx 'Edit	1	from before' || kx_fail "slot A was not read"
[ "$(kx_probe checkboxes TForm3 | head -1)" = "1	1" ] || kx_fail "the keep mark of A was not read"
kx_copy 'copied now'
kx_wait 30 "slot B in the program's folder" kx_file_is "$KX_DATA/Kolvex2.txt" 'copied now'
kx_close_from_tray
kx_file_is "$KX_DATA/Kolvex20.ini" A || kx_fail "keep state '$(cat "$KX_DATA/Kolvex20.ini")'"
written=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -iname 'Kolvex*')
[ -z "$written" ] || kx_fail "files in the Windows folder: $written"
