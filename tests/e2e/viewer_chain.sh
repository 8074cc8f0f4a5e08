#!/usr/bin/env bash
# Other programs that watch the clipboard — a viewer-chain member and a format listener, both
# started before Kolvex20 — keep seeing every change while Kolvex20 runs and after it has ended.
. "$(dirname "$0")/lib.sh"
kx_setup

viewer_log="$KX_WORK/viewer.log"
listener_log="$KX_WORK/listener.log"
stop="$KX_WORK/stop-observers"
wine "$KOLVEX_PROBE" viewer "$viewer_log" "$stop" >/dev/null 2>&1 &
KX_PIDS+=($!)
wine "$KOLVEX_PROBE" listener "$listener_log" "$stop" >/dev/null 2>&1 &
KX_PIDS+=($!)
# Both log the clipboard once when they start.
kx_wait 30 "the viewer to join" test -s "$viewer_log"
kx_wait 30 "the listener to register" test -s "$listener_log"

kx_start_app
kx_wait_panel

saw() { grep -qx "$(kx_hex "$2")" "$1"; }
texts=('first while running' 'second while running' 'コピー3')
slot=1
for t in "${texts[@]}"; do
  kx_copy "$t"
  printf '%s' "$t" | iconv -f UTF-8 -t CP932 >"$KX_WORK/expected"
  expected=$(od -An -tx1 "$KX_WORK/expected" | tr -d ' \n')
  saw_cp932() { grep -qx "$expected" "$1"; }
  kx_wait 30 "Kolvex20 to store '$t'" cmp -s "$KX_DATA/Kolvex$slot.txt" "$KX_WORK/expected"
  kx_wait 30 "the viewer to see '$t'" saw_cp932 "$viewer_log"
  kx_wait 30 "the listener to see '$t'" saw_cp932 "$listener_log"
  slot=$((slot + 1))
done

kx_close_from_tray
kx_copy 'after Kolvex20 ended'
kx_wait 30 "the viewer to see a change after the end" saw "$viewer_log" 'after Kolvex20 ended'
kx_wait 30 "the listener to see a change after the end" saw "$listener_log" 'after Kolvex20 ended'
touch "$stop"
