#!/usr/bin/env bash
# The real file replacement under faults: a write that cannot complete is reported and leaves
# the file with its last good bytes, never empty or half written, and no temporary file behind.
. "$(dirname "$0")/lib.sh"
kx_setup

log="$KX_WORK/write-faults.log"
(cd "$KX_DATA" && wine "$KOLVEX_CHECK" write-faults "$log") >"$KX_WORK/check.log" 2>&1 ||
  kx_fail "the check program failed"
line() { grep "^$1 " "$log" || kx_fail "no '$1' line in: $(cat "$log")"; }

[ "$(line first)" = "first ok [old bytes]" ] || kx_fail "$(line first)"
[ "$(line blocked-temporary)" = "blocked-temporary error [old bytes]" ] ||
  kx_fail "a write that could not start: $(line blocked-temporary)"
# Whether the system refuses to replace a file held open this way is its own affair; the file
# holds one whole text either way, and a refusal is reported.
case "$(line held-open)" in
  "held-open error [old bytes]" | "held-open ok [held bytes]") ;;
  *) kx_fail "a file held open: $(line held-open)" ;;
esac
[ "$(line after)" = "after ok [last bytes]" ] || kx_fail "$(line after)"
leftovers=$(ls -A "$KX_DATA" | grep -v '^Kolvex7\.txt$' || true)
[ -z "$leftovers" ] || kx_fail "left behind: $leftovers"
echo "held-open: $(line held-open)"
