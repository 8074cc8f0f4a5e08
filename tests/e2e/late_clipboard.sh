#!/usr/bin/env bash
# Copies as real programs make them. A source that renders its text only when a reader asks and
# takes 3 s per format (a large spreadsheet range, a remote session): the panel still drops down
# at once from the tray icon, the text is stored when it arrives, and it is rendered once. A
# reader that holds the clipboard for 600 ms right after a copy: waited out, no box. The
# clipboard held 3 s while a keep mark is clicked: at most one box. A source whose rendering
# fails: caption and slots stay as they were.
. "$(dirname "$0")/lib.sh"
kx_setup
kx_start_wm

kx_start_app
kx_wait_panel
kx_copy 'before'
kx_wait 30 "slot A file" kx_file_is "$KX_DATA/Kolvex1.txt" 'before'

log_has() { grep -qx "$2" "$1" 2>/dev/null; }
log_count() { grep -cx "$2" "$1" 2>/dev/null || true; }
boxes() { kx_probe count-windows '#32770' Kolvex20; }
source_text() { printf '%s' "$2" >"$KX_WORK/$1.txt"; echo "$KX_WORK/$1.txt"; }

# --- a source that renders late ---
late_log="$KX_WORK/late.log"
wine "$KOLVEX_COPIER" late "$(source_text late '遅れて届く text')" 3000 "$late_log" >/dev/null 2>&1 &
KX_PIDS+=("$!")
kx_wait 30 "the late source's offer" log_has "$late_log" offered
kx_wait 30 "the program to ask the late source" grep -q '^render ' "$late_log"
ms=$(wine "$KOLVEX_COPIER" panel-drop TForm3 800) ||
  kx_fail "the panel dropped down after ${ms:-no} ms while the source rendered (last: $(tail -1 "$late_log"))"
echo "panel dropped down after $ms ms during the rendering"
# Slot files hold the code page's bytes.
kx_wait 30 "the late text in slot B" kx_file_is "$KX_DATA/Kolvex2.txt" "$(printf '%s' '遅れて届く text' | iconv -f UTF-8 -t CP932)"
kx_title_is "B：遅れて届く text" || kx_fail "caption '$(kx_probe title TForm3)' after the late text"
# Looks at the clipboard afterwards (a summon, its colour pass) ask nothing more of the source.
kx_expand_from_tray
sleep 0.5
renders=$(grep -c '^render ' "$late_log")
[ "$renders" -eq 1 ] || kx_fail "the copy was rendered $renders times: $(tr '\n' ' ' <"$late_log")"
kx_screenshot late_clipboard
touch "$late_log.stop"

# --- a reader that holds the clipboard right after a copy ---
hold_log="$KX_WORK/hold.log"
wine "$KOLVEX_COPIER" copy-hold "$(source_text held 'held a moment')" 600 "$hold_log" >/dev/null 2>&1 &
KX_PIDS+=("$!")
kx_wait 30 "the other reader to hold the clipboard" log_has "$hold_log" held
most=0 end=$(($(date +%s) + 30))
until kx_file_is "$KX_DATA/Kolvex3.txt" 'held a moment'; do
  n=$(boxes)
  [ "$n" -gt "$most" ] && most=$n
  [ "$(date +%s)" -lt "$end" ] || kx_fail "the held copy never arrived ($(tail -1 "$hold_log"))"
  sleep 0.2
done
[ "$most" -eq 0 ] && [ "$(boxes)" -eq 0 ] || kx_fail "a box showed for a clipboard held 600 ms"
touch "$hold_log.stop"

# --- held 3 s while a keep mark is clicked ---
kx_expand_from_tray
long_log="$KX_WORK/long.log"
wine "$KOLVEX_COPIER" copy-hold "$(source_text long 'held long')" 3000 "$long_log" >/dev/null 2>&1 &
KX_PIDS+=("$!")
kx_wait 30 "the other reader to hold the clipboard" log_has "$long_log" held
kx_probe click-checkbox TForm3 1
most=0
until log_has "$long_log" released; do
  n=$(boxes)
  [ "$n" -gt "$most" ] && most=$n
  sleep 0.2
done
for _ in 1 2 3 4 5; do # the capture's wait runs out after the release; then all is quiet
  n=$(boxes)
  [ "$n" -gt "$most" ] && most=$n
  sleep 0.3
done
[ "$most" -le 1 ] || kx_fail "$most boxes at once for one held clipboard"
echo "boxes at most: $most"
while [ "$(boxes)" -gt 0 ]; do kx_probe dialog-ok Kolvex20 || break; done
touch "$long_log.stop"

# --- a rendering that fails ---
kx_copy 'last good'
last_good_named() { [[ "$(kx_probe title TForm3)" == ?：last\ good ]]; }
kx_wait 30 "the last good text named in the caption" last_good_named
caption=$(kx_probe title TForm3)
files_before=$(cat "$KX_DATA"/Kolvex*.txt | od -An -tx1 | tr -d ' \n')
fail_log="$KX_WORK/fail.log"
wine "$KOLVEX_COPIER" late "$(source_text fail 'never handed over')" 500 "$fail_log" fail >/dev/null 2>&1 &
KX_PIDS+=("$!")
kx_wait 30 "the failed rendering" grep -q '^failed ' "$fail_log"
# Nothing is to happen: the program is watched for a while in which it would have done it.
for _ in 1 2 3 4 5; do
  [ "$(kx_probe title TForm3)" = "$caption" ] || break
  sleep 0.3
done
[ "$(kx_probe title TForm3)" = "$caption" ] || kx_fail "caption '$(kx_probe title TForm3)' after a failed rendering"
[ "$(cat "$KX_DATA"/Kolvex*.txt | od -An -tx1 | tr -d ' \n')" = "$files_before" ] ||
  kx_fail "the slot files changed after a failed rendering"
[ "$(boxes)" -eq 0 ] || kx_fail "a box after a failed rendering"
touch "$fail_log.stop"
