#!/usr/bin/env bash
# Slot files that another program holds open, sharing them with nobody, as virus scanners and
# sync clients do with fresh files: held for 300 ms while the program starts, the file is still
# loaded; held for 300 ms while a copy is saved into it, it is still saved, without a message;
# held for longer than the program waits at start, its history is never overwritten by a later
# save. The definition file, held as long at the start, is read again when the settings window
# opens: a definition stored there joins the file's own.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sequence_steps.sh"
kx_setup

for i in $(seq 1 20); do : >"$KX_DATA/Kolvex$i.txt"; done
printf '\r\n\x92\xe8\x8b\x601,x,y' >"$KX_DATA/Kolvex20.ini"  # 定義1,x,y
printf one >"$KX_DATA/Kolvex1.txt"
printf two >"$KX_DATA/Kolvex2.txt"
printf four >"$KX_DATA/Kolvex4.txt"

# hold FILE UNTIL MS: the holder runs in the background; returns once the file is held.
hold() {
  local ready="$KX_WORK/held-${1}"
  rm -f "$ready"
  wine "$KOLVEX_PROBE" hold-file "$(winepath -w "$KX_DATA/$1")" "$(winepath -w "$ready")" "$2" "$3" \
    >/dev/null 2>&1 &
  KX_PIDS+=($!)
  HOLDER=$!
  kx_wait 30 "$1 to be held" test -f "$ready"
}

hold Kolvex2.txt window:TForm3 300
brief=$HOLDER
hold Kolvex4.txt window:TForm3 2500
long=$HOLDER
hold Kolvex20.ini window:TForm3 2500
longIni=$HOLDER
kx_start_app
kx_wait_panel
wait "$brief" || kx_fail "the start did not come while Kolvex2.txt was held"
kx_probe controls TForm3 | grep -qx 'Edit	1	two' ||
  kx_fail "slot B after the start: $(kx_probe controls TForm3 | grep '^Edit	1	')"
wait "$long" || kx_fail "the start did not come while Kolvex4.txt was held"
wait "$longIni" || kx_fail "the start did not come while Kolvex20.ini was held"

# Slot C is empty: the next copy goes there, while its file is held.
hold Kolvex3.txt "$(winepath -w "$KX_DATA/Kolvex3.txt.tmp")" 300
kx_copy three
wait "$HOLDER" || kx_fail "no save of Kolvex3.txt came while it was held"
kx_wait 10 "Kolvex3.txt saved after the hold" kx_file_is "$KX_DATA/Kolvex3.txt" three
! kx_probe dialog-text Kolvex20 1000 || kx_fail "an error was shown for a file held for a moment"

kx_expand_from_tray
sq_click_child TForm3 "連番入力"
kx_wait 10 "the settings window" sq_settings_shown
sq_click_child TForm1 "連番定義"
sq_click_in TForm1 200 43 # 定義2's radio button
sq_click_in TForm1 40 40  # the values box
kx_type p
sq_click_child TForm1 "設定終了"
ini_lines() { iconv -f CP932 -t UTF-8 "$KX_DATA/Kolvex20.ini" | tr -d '\r'; }
kx_wait 10 "definition 2 stored" bash -c "iconv -f CP932 -t UTF-8 '$KX_DATA/Kolvex20.ini' | grep -q '定義2,p'"
ini_lines | grep -qx "定義1,x,y" || kx_fail "definition 1 was lost: $(ini_lines | head -3)"

kx_close_from_tray
kx_file_is "$KX_DATA/Kolvex4.txt" four ||
  kx_fail "Kolvex4.txt, unread at the start, was overwritten with '$(cat "$KX_DATA/Kolvex4.txt")'"
kx_file_is "$KX_DATA/Kolvex2.txt" two || kx_fail "Kolvex2.txt holds '$(cat "$KX_DATA/Kolvex2.txt")'"
