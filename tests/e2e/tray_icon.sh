#!/usr/bin/env bash
# The notification-area icon is there whenever the taskbar is: started while the taskbar still
# refuses icons (as at logon), the program adds its icon as soon as the taskbar takes it; when
# the taskbar is restarted and announces itself ("TaskbarCreated"), the icon comes back.
. "$(dirname "$0")/lib.sh"
kx_setup

# A taskbar that is not ready yet stands in front of Wine's own.
wine "$KOLVEX_PROBE" busy-taskbar "$(winepath -w "$KX_WORK/busy")" "$(winepath -w "$KX_WORK/ready")" \
  >/dev/null 2>&1 &
KX_PIDS+=($!)
busy=$!
kx_wait 30 "the busy taskbar" test -f "$KX_WORK/busy"
kx_start_app
kx_wait_panel
sleep 1
! kx_probe tray-icon TForm3 || kx_fail "the busy taskbar took the icon: the test shows nothing"
touch "$KX_WORK/ready"
wait "$busy"
kx_wait 10 "the icon once the taskbar is ready" kx_probe tray-icon TForm3

kx_probe taskbar-restarted TForm3 || kx_fail "could not take the icon away"
kx_wait 10 "the icon after the taskbar's restart" kx_probe tray-icon TForm3
kx_expand_from_tray
