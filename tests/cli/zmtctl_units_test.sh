# Several controllers on one bus, over the real hidapi path (hidraw-testbed
# with three units: plain, composite, composite; serials 1001 to 1003):
# the list, choosing one with --serial, the refusal without a choice, a
# batch with --all that goes on past a controller that fails, and two
# programs kept apart on one controller and on one simulator state file.
. "$(dirname "$0")/lib.sh"
BED="${ZMT_HIDRAW_TESTBED:?the test bed program is not built on this system}"
export ZMT_LOCK_DIR="$WORK/locks"
mkdir -p "$ZMT_LOCK_DIR"

# units COMMAND...: runs COMMAND inside a bed with the three units, their
# states kept in $WORK/u1.sim ... u3.sim.
units() {
  "$BED" --units 3 --others composite --state "$WORK/u1.sim" --state "$WORK/u2.sim" --state "$WORK/u3.sim" \
    -- "$@" >"$RUN/out" 2>"$RUN/err" </dev/null
  RC=$?
  OUT=$(cat "$RUN/out")
  ERR=$(grep -v '^hidraw-testbed: ' "$RUN/err")
}
zmtctl() { units "$ZMTCTL" --lang en "$@"; }

zmtctl list
expect_rc 0 "list"
[ "$(awk '{print $1}' <<<"$OUT" | paste -sd ' ')" == "1001 1002 1003" ] || fail "list: serials '$OUT'"
expect_out_has '1002  "ZEL-MORVA-TOUCH"  application 1.17  boot loader 1.00' "list"
zmtctl list --json
expect_rc 0 "list --json"
[ "$(grep -o '"serialNumber":[0-9]*' <<<"$OUT" | paste -sd ' ')" == \
  '"serialNumber":1001 "serialNumber":1002 "serialNumber":1003' ] || fail "list --json: $OUT"
expect_out_has '"busy":false,"heldBy":null' "list --json"

# Nothing happens to any of them without a choice.
zmtctl --yes defaults
expect_rc 1 "no choice"
expect_out "" "no choice"
expect_err_has "Several controllers are connected: 1001, 1002, 1003." "no choice"
expect_err_has "--serial N" "no choice"

zmtctl --serial 1003 info
expect_rc 0 "--serial"
expect_out_has 'The serial number   1003' "--serial"
zmtctl --serial=1007 info
expect_rc 2 "absent serial"
expect_err_has "Controller 1007 not found; connected: 1001, 1002, 1003" "absent serial"

# A batch: the second unit runs only its boot loader, so the write fails
# there; the third is still written, and the status says one failed.
zmtctl --serial 1001 read "$WORK/base.ZMT"
expect_rc 0 "read for the batch"
sed 's/^LONGTO=1500/LONGTO=2700/' "$WORK/base.ZMT" >"$WORK/batch.ZMT"
printf 'serial = 1002\nboot_mode = 1\n' >"$WORK/u2.sim"
zmtctl --all write "$WORK/batch.ZMT"
expect_rc 4 "batch answered No"
[ "$(grep -c 'Run .write. on every controller' <<<"$ERR")" -eq 1 ] || fail "batch: not one question: $ERR"
zmtctl --all --yes write "$WORK/batch.ZMT"
expect_rc 2 "batch with a failure"
expect_out_has "Controller 1001: done" "batch"
expect_out_has "Controller 1002: failed (status 2)" "batch"
expect_out_has "Controller 1003: done" "batch"
for unit in 1001 1003; do
  zmtctl --serial $unit read "$WORK/back.ZMT"
  grep -q '^LONGTO=2700' "$WORK/back.ZMT" || fail "batch: $unit was not written"
done
zmtctl --all info
expect_rc 1 "--all with info"

# Two programs on one controller: a monitor holds 1002 while others ask.
# It prints the queued record once it holds the controller; only then do
# the others start (one of them starting first would keep it out).
printf 'serial = 1002\nlog = 01 02 0A 0B\n' >"$WORK/u2.sim"
# The inner script waits for the hold by asking, never by the clock alone.
cat >"$WORK/two.sh" <<INNER
"$ZMTCTL" --lang en --serial 1002 monitor >"$WORK/monitor.out" 2>"$WORK/monitor.err" &
monitor=\$!
for attempt in \$(seq 1 200); do
  [ -s "$WORK/monitor.out" ] && break
  sleep 0.05
done
"$ZMTCTL" --lang en list
"$ZMTCTL" --lang en --json list
"$ZMTCTL" --lang en --serial 1002 info >/dev/null 2>"$WORK/busy.err"; echo "busy rc \$?"
"$ZMTCTL" --lang en --serial 1001 info >/dev/null; echo "other rc \$?"
"$ZMTCTL" --lang en --yes --all reset >/dev/null 2>&1; echo "batch rc \$?"
kill -9 \$monitor; wait \$monitor 2>/dev/null
"$ZMTCTL" --lang en --serial 1002 info >/dev/null; echo "after kill rc \$?"
INNER
units bash "$WORK/two.sh"
expect_out_has "1002  The controller is busy (held by zmtctl, process" "busy in list"
expect_out_has '"serialNumber":1002,"bootVersion":null,"applicationVersion":null,"deviceCode":null,"deviceType":null,"busy":true,"heldBy":{"program":"zmtctl","processId":' "busy in list --json"
expect_out_has "busy rc 5" "busy"
grep -q "The controller is busy (held by zmtctl, process [0-9]*)" "$WORK/busy.err" || fail "busy: $(cat "$WORK/busy.err")"
expect_out_has "other rc 0" "the other controller stays free"
expect_out_has "batch rc 5" "a batch with a busy controller"
expect_out_has "after kill rc 0" "no stale hold after kill -9"
[ "$FAILED" -eq 0 ] || cat "$WORK/monitor.err" >&2

# Two users on one controller: each has a lock folder of their own (or none
# at all), and the controller is held on its node, where both meet.
cat >"$WORK/two-users.sh" <<INNER
mkdir -p "$WORK/user-a" "$WORK/user-b"
ZMT_LOCK_DIR="$WORK/user-a" "$ZMTCTL" --lang en --serial 1002 monitor >"$WORK/monitor-a.out" 2>/dev/null &
monitor=\$!
for attempt in \$(seq 1 200); do
  [ -s "$WORK/monitor-a.out" ] && break
  sleep 0.05
done
ZMT_LOCK_DIR="$WORK/user-b" "$ZMTCTL" --lang en --serial 1002 --yes defaults >/dev/null 2>"$WORK/user-b.err"; echo "user b rc \$?"
env -u ZMT_LOCK_DIR -u XDG_RUNTIME_DIR "$ZMTCTL" --lang en --serial 1002 --yes defaults >/dev/null 2>&1; echo "no folder rc \$?"
env -u ZMT_LOCK_DIR -u XDG_RUNTIME_DIR "$ZMTCTL" --lang en --serial 1001 info >/dev/null 2>&1; echo "no folder other rc \$?"
kill -9 \$monitor; wait \$monitor 2>/dev/null
ZMT_LOCK_DIR="$WORK/user-b" "$ZMTCTL" --lang en --serial 1002 info >/dev/null; echo "user b after rc \$?"
ls "$WORK/user-b" | grep -c 'zmt-' | sed 's/^/files left /'
INNER
printf 'serial = 1002\nlog = 01 02 0A 0B\n' >"$WORK/u2.sim"
units bash "$WORK/two-users.sh"
expect_out_has "user b rc 5" "a second user is kept out"
grep -q "The controller is busy (held by zmtctl, process [0-9]*)" "$WORK/user-b.err" || fail "user b: $(cat "$WORK/user-b.err")"
expect_out_has "no folder rc 5" "kept out with no lock folder at all"
expect_out_has "no folder other rc 0" "no lock folder is needed for a free controller"
expect_out_has "user b after rc 0" "free after kill -9"
expect_out_has "files left 0" "lock notes left behind"

# One serial on two controllers: --serial takes neither, and names both.
printf 'serial = 1002\n' >"$WORK/u1.sim"
printf 'serial = 1002\n' >"$WORK/u2.sim"
zmtctl --serial 1002 --yes defaults
expect_rc 2 "one serial twice"
expect_err_has "Two controllers carry serial 1002: /dev/hidraw" "one serial twice"
[ "$(grep -o '/dev/hidraw[0-9]*' <<<"$ERR" | sort -u | wc -l)" -eq 2 ] || fail "one serial twice: not both paths: $ERR"
printf 'serial = 1001\n' >"$WORK/u1.sim"

# A firmware batch over simulated units: each hand-over to the boot loader
# takes its controller off the bus, and the update keeps to that one (the
# other is never taken for it); both end on the new version.
printf '\000\000\000\000\166\000\001\001' >"$WORK/payload.bin"
head -c 3000 /dev/zero | tr '\000' '\132' >>"$WORK/payload.bin"
run make-ldr "$WORK/payload.bin" "$WORK/new.LDR" --version 1.18 --code 1 --type 1
expect_rc 0 "make-ldr"
run --lang en --simulator="$WORK/s1.sim" --simulator="$WORK/s2.sim" --yes --all flash "$WORK/new.LDR"
expect_rc 0 "flash --all"
expect_out_has "Controller 1001: done" "flash --all"
expect_out_has "Controller 1002: done" "flash --all"
run --lang en --simulator="$WORK/s1.sim" --simulator="$WORK/s2.sim" list
[ "$(grep -c 'application 1.18' <<<"$OUT")" -eq 2 ] || fail "flash --all: $OUT"

# Two runs on one simulator state file: the second is refused at once, so
# its save can never undo the first's write.
printf 'log = 01 02 0A 0B\n' >"$WORK/one.sim"
"$ZMTCTL" --simulator="$WORK/one.sim" monitor >"$WORK/file-monitor.out" 2>/dev/null &
monitor=$!
until_written "$WORK/file-monitor.out"
run --lang en --simulator="$WORK/one.sim" info
expect_rc 5 "state file held"
expect_err_has "is in use (held by zmtctl, process $monitor)" "state file held"
kill -9 $monitor; wait $monitor 2>/dev/null
run --lang en --simulator="$WORK/one.sim" --yes write "$WORK/batch.ZMT"
expect_rc 0 "state file free after kill -9"

# A state file that cannot be held (no usable lock folder) is not used:
# status 5 and why, never a run that could undo another's save.
ZMT_LOCK_DIR="$WORK/no-such-folder" run --lang en --simulator="$WORK/one.sim" --yes write "$WORK/batch.ZMT"
expect_rc 5 "state file without a lock folder"
expect_err_has "cannot be held for this program: the lock folder $WORK/no-such-folder cannot be used" "state file without a lock folder"
chmod 0777 "$ZMT_LOCK_DIR"
run --lang en --simulator="$WORK/one.sim" info
expect_rc 5 "a lock folder others can write"
expect_err_has "other users can write to this folder" "a lock folder others can write"
chmod 0755 "$ZMT_LOCK_DIR"
# Without a run-time folder the runs still meet in the user's own folder.
mkdir -p "$WORK/home"
HOME="$WORK/home" env -u ZMT_LOCK_DIR -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME \
  "$ZMTCTL" --simulator="$WORK/one.sim" monitor >"$WORK/home-monitor.out" 2>/dev/null &
monitor=$!
until_written "$WORK/home-monitor.out"
HOME="$WORK/home" ZMT_LOCK_DIR= XDG_RUNTIME_DIR= run --lang en --simulator="$WORK/one.sim" --yes write "$WORK/batch.ZMT"
expect_rc 5 "state file held without a run-time folder"
kill -9 $monitor; wait $monitor 2>/dev/null
[ -z "$(ls "$ZMT_LOCK_DIR")" ] || fail "lock files left: $(ls "$ZMT_LOCK_DIR")"

finish
