# Configuration files through zmtctl: read the controller into a file, write a
# file into the controller (whole image, then restart), factory defaults and
# restart, with their questions, and the failures that must change nothing.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"
# The records of a configuration file, whatever its line ends.
records() { tr -d '\r' <"$1" | grep -v '^$'; }

run --simulator="$STATE" --lang en read "$WORK/factory.ZMT"
expect_rc 0 "read factory"
expect_out "The controller's configuration was saved to $WORK/factory.ZMT" "read factory"
grep -q '^LONGTO=1500' "$WORK/factory.ZMT" || fail "factory long-press time-out not saved"
grep -q '^KEY=00FFFFFFFF' "$WORK/factory.ZMT" || fail "factory thresholds not saved"

# A file of our own: another time-out, a named button and an event.
sed -e 's/^LONGTO=1500/LONGTO=900/' -e 's/^KEY01=00000000000000/KEY01=7832564F4C2B00/' \
    -e 's/^EVKEY01=.*/EVKEY01=010000000107002800\r/' "$WORK/factory.ZMT" >"$WORK/a.ZMT"

run --simulator="$STATE" --lang en --log --yes write "$WORK/a.ZMT"
expect_rc 0 "write"
writes=$(grep -E '> CMD:90 ' <<<"$ERR" | sed -E 's/.*OFFSET:([0-9]+) LEN:([0-9]+).*/\1:\2/' | tr '\n' ' ')
[ "$writes" == "0000:64 0064:64 0128:64 0192:64 0256:64 0320:64 0384:64 0448:64 0512:64 0576:64 0640:64 0704:64 0768:64 0832:64 0896:64 0960:19 " ] ||
  fail "write frames: $writes"
grep -qE '> CMD:83 OFFSET:0000 LEN:00$' <<<"$ERR" || fail "no restart after the write: $ERR"
[ "$(grep -nE '> CMD:(90|83) ' <<<"$ERR" | tail -1 | grep -c 'CMD:83')" == 1 ] || fail "the restart is not the last frame"

run --simulator="$STATE" --lang en read "$WORK/b.ZMT"
expect_rc 0 "read back"
[ "$(records "$WORK/a.ZMT")" == "$(records "$WORK/b.ZMT")" ] ||
  fail "read back differs: $(diff <(records "$WORK/a.ZMT") <(records "$WORK/b.ZMT"))"

# Nobody to answer the question: nothing is written, and it is not a success.
run --simulator="$STATE" --lang en --log write "$WORK/factory.ZMT"
expect_rc 4 "write declined"
expect_err_has "Are you sure you want to write" "write declined"
expect_err_has "Nothing was changed." "write declined"
grep -q 'CMD:90\|CMD:83' <<<"$ERR" && fail "a declined write sent frames: $ERR"
run --simulator="$STATE" --lang en read "$WORK/c.ZMT"
[ "$(records "$WORK/a.ZMT")" == "$(records "$WORK/c.ZMT")" ] || fail "a declined write changed the controller"

# A file that is not there or not a configuration: the file's message, no frame.
run --simulator="$STATE" --lang en --log --yes write "$WORK/missing.ZMT"
expect_rc 3 "missing file"
expect_err_has "File $WORK/missing.ZMT not found" "missing file"
grep -q 'CMD:90' <<<"$ERR" && fail "a missing file was written"
printf 'just text\n' >"$WORK/text.ZMT"
run --simulator="$STATE" --lang ru --yes write "$WORK/text.ZMT"
expect_rc 3 "not a configuration"
expect_err_has "не является файлом конфигурации" "not a configuration"

# A damaged value is named and read as zeros.
sed -e 's/^EVKEY01=.*/EVKEY01=zz\r/' "$WORK/a.ZMT" >"$WORK/damaged.ZMT"
run --simulator="$STATE" --lang en --yes write "$WORK/damaged.ZMT"
expect_rc 0 "damaged file"
expect_err_has "some values are damaged: EVENTS/EVKEY01" "damaged file"

# A divisor no field can show is sent as the one the window shows (10).
sed -e 's/^ENC0DIV=.*/ENC0DIV=25\r/' "$WORK/a.ZMT" >"$WORK/divisor.ZMT"
run --simulator="$STATE" --lang en --yes write "$WORK/divisor.ZMT"
expect_rc 0 "divisor out of range"
expect_err_has "some values are damaged: PARAM/ENC0DIV" "divisor out of range"
run --simulator="$STATE" --lang en read "$WORK/divisor-back.ZMT"
grep -q '^ENC0DIV=9' "$WORK/divisor-back.ZMT" || fail "divisor 25 reached the controller as $(grep ^ENC0DIV "$WORK/divisor-back.ZMT")"

# Reading into an existing file keeps what is not ours; an unwritable place fails.
printf '[NOTES]\r\nCAR=Lada\r\n' >"$WORK/notes.ZMT"
run --simulator="$STATE" --lang en read "$WORK/notes.ZMT"
expect_rc 0 "read into existing"
grep -q '^CAR=Lada' "$WORK/notes.ZMT" || fail "an extra section was lost"
grep -q '^LONGTO=900' "$WORK/notes.ZMT" || fail "the configuration was not saved into the existing file"
run --simulator="$STATE" --lang en read "$WORK/no/such/folder/x.ZMT"
expect_rc 3 "unwritable"
expect_err_has "Unable to write to $WORK/no/such/folder/x.ZMT" "unwritable"

# Factory defaults: asked, refused without an answer, done with --yes.
run --simulator="$STATE" --lang en defaults
expect_rc 4 "defaults declined"
expect_err_has "to its default state?" "defaults declined"
run --simulator="$STATE" --lang en --yes defaults
expect_rc 0 "defaults"
run --simulator="$STATE" --lang en read "$WORK/d.ZMT"
[ "$(records "$WORK/factory.ZMT")" == "$(records "$WORK/d.ZMT")" ] || fail "defaults did not restore the factory state"

run --simulator="$STATE" --lang en --log reset
expect_rc 0 "reset"
expect_out "The controller was restarted" "reset"
grep -qE '> CMD:83 OFFSET:0000 LEN:00$' <<<"$ERR" || fail "reset sent no restart frame"

# Usage and no controller at all (this machine has none).
run --simulator --lang en read
expect_rc 1 "read without a file"
run --simulator --lang en write a.ZMT b.ZMT
expect_rc 1 "write with two files"
run --simulator --lang en reset now
expect_rc 1 "reset with an argument"
run --lang en read "$WORK/e.ZMT"
expect_rc 2 "no controller"
[ "$ERR" == "Controller is disconnected" ] || fail "no controller: stderr '$ERR'"
[ -e "$WORK/e.ZMT" ] && fail "a file was written without a controller"
run --lang en --yes write "$WORK/a.ZMT"
expect_rc 2 "write without a controller"

finish
