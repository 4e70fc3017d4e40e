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

# Text from the file is shown with its control characters escaped: an
# escape sequence in it never reaches the terminal.
printf '\033]0;owned\007colour = blue\n' >"$STATE"
run --simulator="$STATE" --lang en info
expect_rc 3 "escape sequence in a key"
expect_err_has "unknown key '\x1B]0;owned\x07colour'" "escape sequence in a key"
grep -q $'\033' "$RUN/err" && fail "an escape character from the file reached the terminal"

# A save killed half-way leaves its temporary file; the next save removes
# it (no other save runs then), and leaves files that are not ours alone.
rm -f "$STATE"
printf 'half a state' >"$WORK/.unit.sim.zmt-0badc0de.tmp"
printf 'the user'"'"'s' >"$WORK/.unit.sim.tmp"
run --simulator="$STATE" --lang en info
expect_rc 0 "stale temporary file"
[ -e "$WORK/.unit.sim.zmt-0badc0de.tmp" ] && fail "the stale temporary file of a killed save is still there"
[ -e "$WORK/.unit.sim.tmp" ] || fail "a file that is not ours was removed"
rm -f "$WORK/.unit.sim.tmp"

# Output that cannot be written is a failed run, with its reason.
run --simulator="$STATE" --lang en info
"$ZMTCTL" --simulator="$STATE" --lang en info >/dev/full 2>"$RUN/err" </dev/null
rc=$?
[ $rc -eq 3 ] || fail "stdout on a full disk: status $rc, expected 3"
grep -qF "Error writing to standard output: No space left on device" "$RUN/err" ||
  fail "stdout on a full disk: $(cat "$RUN/err")"

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
