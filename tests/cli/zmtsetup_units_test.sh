# zmtsetup and zmtctl on one bus (hidraw-testbed, the real hidapi path):
# zmtsetup holds the controller it is connected to, and zmtctl is refused
# there with zmtsetup named, until zmtsetup dies (kill -9: no stale hold);
# with two controllers and none chosen, zmtsetup takes neither.
set -u
BIN="$1"
BED="${ZMT_HIDRAW_TESTBED:?the test bed program is not built on this system}"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
export ZMT_LOCK_DIR="$WORK/locks"
mkdir -p "$ZMT_LOCK_DIR"

# Inside the bed: zmtsetup in the background; zmtctl asks until zmtsetup
# holds the controller (never a fixed wait alone), then the checks.
cat >"$WORK/one.sh" <<INNER
"$BIN/zmtsetup" -platform offscreen >/dev/null 2>&1 &
setup=\$!
for attempt in \$(seq 1 400); do
  "$BIN/zmtctl" --lang en list 2>/dev/null | grep -q 'busy (held by zmtsetup' && break
  sleep 0.05
done
"$BIN/zmtctl" --lang en info >/dev/null 2>"$WORK/busy.err"; echo "busy rc \$?"
kill -9 \$setup; wait \$setup 2>/dev/null
"$BIN/zmtctl" --lang en info >/dev/null 2>&1; echo "after kill rc \$?"
INNER
"$BED" -- bash "$WORK/one.sh" >"$WORK/out" 2>/dev/null </dev/null
grep -q "busy rc 5" "$WORK/out" || fail "zmtctl beside a connected zmtsetup: $(cat "$WORK/out") $(cat "$WORK/busy.err")"
grep -q "The controller is busy (held by zmtsetup, process [0-9]*)" "$WORK/busy.err" \
  || fail "the message does not name zmtsetup: $(cat "$WORK/busy.err")"
grep -q "after kill rc 0" "$WORK/out" || fail "a hold outlived zmtsetup: $(cat "$WORK/out")"

# Two controllers, none chosen: zmtsetup holds neither (it waits for a
# choice), so zmtctl reaches both while it runs.
cat >"$WORK/two.sh" <<INNER
"$BIN/zmtsetup" -platform offscreen >/dev/null 2>&1 &
setup=\$!
for attempt in \$(seq 1 400); do
  [ "\$(cat /proc/\$setup/comm 2>/dev/null)" == zmtsetup ] && [ -e /proc/\$setup/fd ] && break
  sleep 0.05
done
# The window reads each controller's identity once to offer the choice,
# holding it for that read alone: an attempt that meets the read is told
# "busy" (5) and the next one gets through. A hold kept would fail all three.
attempt() {
  for try in 1 2 3; do
    "$BIN/zmtctl" --lang en --serial "\$1" info >/dev/null 2>&1; rc=\$?
    [ \$rc -ne 5 ] && break
    sleep 0.1
  done
  echo "\$2 rc \$rc"
}
for round in \$(seq 1 10); do
  attempt 1001 first
  attempt 1002 second
done
kill -9 \$setup; wait \$setup 2>/dev/null
INNER
"$BED" --units 2 -- bash "$WORK/two.sh" >"$WORK/out" 2>/dev/null </dev/null
[ "$(grep -c ' rc 0$' "$WORK/out")" -eq 20 ] || fail "zmtsetup took a controller nobody chose: $(cat "$WORK/out")"

exit "$FAILED"
