#!/usr/bin/env bash
# Windows sized to their content and placed by the backend: a frameless hint window grows with
# its label's text so the whole text shows on one line (label plus a 1-pixel margin on each side),
# and a window marked to be centred first appears in the middle of the screen. The hint window
# never takes the foreground from the window under it.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/layout.log"
wine "$KOLVEX_CHECK" layout "$log" >"$KX_WORK/check.log" 2>&1 || kx_fail "layout check failed"
cat "$log"
sizes() { # sizes WHAT -> "labelW labelH panelW panelH windowW windowH"
  sed -n "s/^$1 label \([0-9]*\)x\([0-9]*\) panel \([0-9]*\)x\([0-9]*\) window \([0-9]*\)x\([0-9]*\)$/\1 \2 \3 \4 \5 \6/p" "$log"
}
read -r slw slh spw sph sww swh <<<"$(sizes short)"
read -r llw llh lpw lph lww lwh <<<"$(sizes long)"
[ -n "$slw" ] && [ -n "$llw" ] || kx_fail "no sizes logged"
[ "$slw" -gt 4 ] || kx_fail "short label not sized to its text: $slw"
[ "$llw" -gt $((slw * 4)) ] || kx_fail "long label not widened: $slw -> $llw"
for s in "$slw $slh $spw $sph $sww $swh" "$llw $llh $lpw $lph $lww $lwh"; do
  read -r lw lh pw ph ww wh <<<"$s"
  [ "$pw" -eq $((lw + 2)) ] && [ "$ph" -eq $((lh + 2)) ] || kx_fail "panel ${pw}x$ph for label ${lw}x$lh"
  [ "$ww" -eq "$pw" ] && [ "$wh" -eq "$ph" ] || kx_fail "window ${ww}x$wh for panel ${pw}x$ph"
done
read -r _ left top width height _ sw sh <<<"$(grep '^centred ' "$log")"
[ "$left" -eq $(((sw - width) / 2)) ] && [ "$top" -eq $(((sh - height) / 2)) ] ||
  kx_fail "not centred: $left,$top ${width}x$height on ${sw}x$sh"
grep -qx "hint styles ok" "$log" || kx_fail "the hint window is not a layered, non-activating, topmost tool window"
grep -qx "hint foreground kept" "$log" || kx_fail "showing the hint window took the foreground"
