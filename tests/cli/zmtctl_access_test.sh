# A controller that is plugged in but may not be opened (a hidraw node without
# the udev rule): the error stays "disconnected", and stderr explains how to
# grant access, in the language asked for. Once the node opens, no
# explanation and the state file keeps saying how the port behaves.
. "$(dirname "$0")/lib.sh"

printf 'open_denied = 1\n' >"$WORK/locked.sim"

run --simulator="$WORK/locked.sim" --lang en info
expect_rc 2 "locked en"
expect_out "" "locked en"
[ "$(head -n 1 <<<"$ERR")" == "Controller is disconnected" ] || fail "locked en: first line of stderr '$ERR'"
expect_err_has "Controller found, but access to it was denied." "locked en"
expect_err_has "70-zel-morva-touch.rules" "locked en"
expect_err_has "sudo udevadm control --reload-rules && sudo udevadm trigger" "locked en"
[ "$(grep -c 'access to it was denied' <<<"$ERR")" -eq 1 ] || fail "locked en: explanation not given exactly once"

run --simulator="$WORK/locked.sim" --lang ru monitor --count 1
expect_rc 2 "locked ru"
[ "$(head -n 1 <<<"$ERR")" == "Контроллер отключен" ] || fail "locked ru: first line of stderr '$ERR'"
expect_err_has "Контроллер найден, но доступ к нему запрещён." "locked ru"
expect_err_has "sudo udevadm control --reload-rules && sudo udevadm trigger" "locked ru"
grep -q "open_denied = 1" "$WORK/locked.sim" || fail "the state file lost open_denied"

# Access granted: the ordinary identity and nothing on stderr.
printf 'open_denied = 0\n' >"$WORK/open.sim"
run --simulator="$WORK/open.sim" --lang en info
expect_rc 0 "open"
expect_out_has 'The serial number   1001' "open"
[ -z "$ERR" ] || fail "open: stderr '$ERR'"

# A controller that is simply absent is not mistaken for a locked one.
run --lang en info
expect_rc 2 "absent"
[ "$ERR" == "Controller is disconnected" ] || fail "absent: stderr '$ERR'"

finish
