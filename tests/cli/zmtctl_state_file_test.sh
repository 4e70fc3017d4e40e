# The simulated controller's state file: created on first use, shared between
# runs, edited by hand between them, refused when bad, never reported as saved
# when it cannot be written.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"

run --simulator="$STATE" --lang en info
expect_rc 0 "first run"
[ -f "$STATE" ] || fail "first run left no state file"
grep -qx 'serial = 1001' "$STATE" || fail "state file lacks the factory serial"

# Another unit: the next run sees the serial changed in the file.
sed -i 's/^serial = .*/serial = 123456789/' "$STATE"
run --simulator="$STATE" --lang en info
expect_rc 0 "edited serial"
expect_out_has 'The serial number   123456789' "edited serial"
grep -qx 'serial = 123456789' "$STATE" || fail "the saved file lost the edited serial"
ls "$WORK" | grep -qv '^unit.sim$' && fail "a temporary file was left beside the state file: $(ls "$WORK")"

# A bad line: refused with its number, nothing run, the file left as it was.
printf 'serial = 5\nkey_levels = FF FF ZZ FF\n' >"$STATE"
cp "$STATE" "$WORK/before"
run --simulator="$STATE" --lang en info
expect_rc 3 "bad state file"
expect_out "" "bad state file"
expect_err_has 'Simulator state file error:' "bad state file"
expect_err_has 'line 2' "bad state file"
cmp -s "$STATE" "$WORK/before" || fail "a refused state file was rewritten"

printf 'colour = blue\n' >"$STATE"
run --simulator="$STATE" --lang ru info
expect_rc 3 "unknown key"
expect_err_has "Ошибка файла состояния симулятора" "unknown key ru"
expect_err_has "colour" "unknown key"

# Something that is not a file is refused, never read from or replaced
# (reading a pipe would wait for a writer forever).
mkfifo "$WORK/pipe.sim"
mkdir "$WORK/folder.sim"
for odd in pipe.sim folder.sim; do
  timeout 60 "$ZMTCTL" --simulator="$WORK/$odd" --lang en info >/dev/null 2>&1 </dev/null
  rc=$?
  [ $rc -eq 3 ] || fail "state file $odd: status $rc"
done
[ -p "$WORK/pipe.sim" ] && [ -d "$WORK/folder.sim" ] || fail "an odd state file was replaced"

# A state file that cannot be written: the command's output stands, but the
# run does not end as a success.
run --simulator="$WORK/missing/folder/unit.sim" --lang en info
expect_rc 3 "unwritable state file"
expect_out_has 'The serial number   1001' "unwritable state file"
expect_err_has 'Cannot write the simulator state file' "unwritable state file"

finish
