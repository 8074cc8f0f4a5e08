#!/usr/bin/env bash
# Fields with a 3-byte limit and the input method off (the settings window's start and end
# fields and its sequence choice), and the panel with all its controls: they have no input
# context. The limit counts bytes of CP932, so a double-byte character counts twice, both when
# typed and when pasted. A field without either takes whatever is typed. The pointer is reported as the shared I-beam over a
# field and as another shape over the window's background.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/fields.log" stop="$KX_WORK/stop"
wine "$KOLVEX_CHECK" fields "$log" "$stop" >"$KX_WORK/check.log" 2>&1 &
KX_PIDS+=($!)
check_pid=$!
kx_wait 30 "the fields window" grep -qx ready "$log"
grep -qx 'input method edit off combo off free on' "$log" ||
  kx_fail "input contexts: $(grep '^input method' "$log")"
# The panel takes no text: neither it nor any of its controls has an input context, so under a
# Japanese input method its letter keys and Z still arrive as keys (not as VK_PROCESSKEY).
mkdir -p "$KX_WORK/panel"
(cd "$KX_WORK/panel" && wine "$KOLVEX_CHECK" panel-input "$KX_WORK/panel.log") >>"$KX_WORK/check.log" 2>&1 ||
  kx_fail "the program did not start for the panel's check"
grep -Eqx 'panel windows [0-9]{2,} with an input context 0' "$KX_WORK/panel.log" ||
  kx_fail "$(cat "$KX_WORK/panel.log")"

# A field takes the keyboard focus by a click.
click_field() { # click_field X Y (client coordinates of the fields window)
  read -r left top _ _ <<<"$(kx_probe client-rect TKolvexFields)"
  kx_click $((left + $1)) $((top + $2))
  sleep 0.2
}

click_field 250 22 # the window's background
click_field 40 22
touch "$stop.unhook"
kx_wait 10 "the hook to be removed" grep -qx unhooked "$log"
# Double-byte characters come from the clipboard, single-byte ones are typed.
paste_text() { kx_copy "$1"; sleep 0.4; kx_key ctrl+v; sleep 0.3; }
paste_text 'あ'
kx_type '12' 80
click_field 30 62
paste_text 'あいう'
click_field 100 102
paste_text 'あいう'
kx_type 'a' 80
sleep 0.5
touch "$stop"
kx_wait 30 "the check program to end" kx_not_running "$check_pid"
cat "$log"
# Without a limit the field takes everything pasted and typed.
grep -qx "free $(kx_hex "$(printf '\x82\xa0\x82\xa2\x82\xa4a')")" "$log" || kx_fail "free field"
# "あ" and "1" are three bytes: "2" no longer fits.
grep -qx "edit $(kx_hex "$(printf '\x82\xa01')")" "$log" || kx_fail "typed beyond the byte limit"
# One double-byte character of the three pasted fits into three bytes.
grep -qx "combo $(kx_hex "$(printf '\x82\xa0')")" "$log" || kx_fail "pasted beyond the byte limit"
# The I-beam test compares the global cursor with the shared I-beam (within one process under
# Wine, which gives each process its own copy of the system cursors).
shapes=$(grep '^LButtonUp' "$log" | head -2 | cut -d' ' -f2 | tr '\n' ' ')
[ "$shapes" = "Other IBeam " ] || kx_fail "pointer shapes at the first two clicks: $shapes"
