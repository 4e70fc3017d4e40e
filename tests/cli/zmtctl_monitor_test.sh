# zmtctl monitor: records queued in the state file come out in order, one
# memo line each, as many as asked; the rest stay queued for the next run; a
# failing read ends it with the device error; --log shows the frames.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"
long=$(for i in $(seq 0 31); do printf '%02X ' $i; done)
{
  echo 'log = 01 02 0A 0B'
  echo "log = 7F 28 ${long% }"   # declares 40 bytes, carries 32
  echo 'log = 03 00'
} >"$STATE"

run --simulator="$STATE" monitor --count 2
expect_rc 0 "monitor --count 2"
expect_out 't:01 l:02 [ 0A 0B ]
t:7F l:28 [ 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ]' "monitor --count 2"
[ "$(grep -c '^log = ' "$STATE")" -eq 1 ] || fail "the unread record is not kept: $(grep '^log' "$STATE")"

run --simulator="$STATE" --log monitor --count=1
expect_rc 0 "monitor --log"
expect_out 't:03 l:00 [ ]' "monitor --log"
grep -qE '^ +[0-9]+\.[0-9]{3} > CMD:05 OFFSET:0000 LEN:00$' <<<"$ERR" || fail "no request line in the log: $ERR"
grep -qE '^ +[0-9]+\.[0-9]{3} < CMD:85 OFFSET:0000 LEN:02 \[ 03 00 \]$' <<<"$ERR" || fail "no reply line in the log: $ERR"
grep -q 'CMD:0[1] \|CMD:81' <<<"$ERR" && fail "identity frames in the log: $ERR"
grep -q '^log = ' "$STATE" && fail "the queue should be empty now"

# The identity frames of info never reach the log.
run --simulator --log --lang en info
expect_rc 0 "info --log"
[ -z "$ERR" ] || fail "info --log logged: $ERR"

# The boot loader refuses the device log (0xFD): the monitor stops with the
# code's text after the read's two attempts.
printf 'boot_mode = 1\nlog = 01 00\n' >"$STATE"
run --simulator="$STATE" --lang en monitor
expect_rc 2 "monitor refused"
[ "$ERR" == "Failed result" ] || fail "monitor refused: stderr '$ERR'"
expect_out "" "monitor refused"

# Ctrl+C ends a monitor with nothing more to show, and the record it did
# show is gone from the saved queue. The signal goes out once the record is
# on stdout, so the handler is in place by then.
printf 'log = 05 01 AA\n' >"$STATE"
"$ZMTCTL" --simulator="$STATE" monitor >"$WORK/bg.out" 2>"$WORK/bg.err" </dev/null &
pid=$!
for _ in $(seq 1 400); do [ -s "$WORK/bg.out" ] && break; sleep 0.05; done
kill -INT $pid
wait $pid
rc=$?
[ $rc -eq 0 ] || fail "monitor after Ctrl+C: status $rc ($(cat "$WORK/bg.err"))"
[ "$(cat "$WORK/bg.out")" == "t:05 l:01 [ AA ]" ] || fail "monitor before Ctrl+C printed '$(cat "$WORK/bg.out")'"
grep -q '^log = ' "$STATE" && fail "the shown record is still queued after Ctrl+C"

# A reader that goes away does not kill the run before the state is saved.
for i in $(seq 1 20); do echo "log = 01 01 $(printf '%02X' $i)"; done >"$STATE"
"$ZMTCTL" --simulator="$STATE" monitor --count 20 | head -n 1 >"$WORK/first"
rc=${PIPESTATUS[0]}
# ...but the run does not end as a success either: it ends by SIGPIPE, as other tools in a pipe do.
[ $rc -eq 141 ] || fail "monitor into a closed pipe: status $rc, expected 141 (SIGPIPE)"
[ "$(cat "$WORK/first")" == "t:01 l:01 [ 01 ]" ] || fail "first line through the pipe: $(cat "$WORK/first")"
grep -q '^log = 01 01 01$' "$STATE" && fail "the record shown through the pipe is still queued"
run --simulator="$STATE" info
expect_rc 0 "state file after a closed pipe"

# No controller at all.
run --lang en monitor --count 1
expect_rc 2 "monitor without a controller"
expect_err_has "Controller is disconnected" "monitor without a controller"

finish
