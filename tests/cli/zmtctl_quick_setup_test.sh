# The quick set-up from a script: the catalogue, assign with its refusals,
# and the guided run over a simulated controller that plays scripted
# presses; a run that is refused or cancelled leaves the controller as it
# was, byte for byte.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"
export XDG_DATA_HOME="$WORK/data"
SNAPS="$WORK/data/zmtsetup/snapshots/1001"

# The controller's memory as the state file keeps it.
memory() { grep '^config\.' "$STATE"; }
# line_matches N REGEX: line N of the last stdout matches.
line_matches() { sed -n "$1p" <<<"$OUT" | grep -Eq -- "$2" || fail "stdout line $1 does not match $2: $OUT"; }
# The controller's configuration in words.
controller_words() {
  XDG_DATA_HOME="$WORK/reads" "$ZMTCTL" --simulator="$STATE" read "$WORK/now.ZMT" >/dev/null 2>&1 ||
    fail "read for comparing"
  "$ZMTCTL" --lang en show "$WORK/now.ZMT"
}

# The catalogue, as text and as JSON.
run --lang en functions
expect_rc 0 "functions"
expect_out_has "volume-up        VOL+   Consumer 0x00E9 Volume Increment     Volume up" "functions"
expect_out_has "nothing" "functions"
run --lang en --json functions
expect_rc 0 "functions --json"
python3 -c 'import json,sys; j=json.loads(sys.argv[1]); sys.exit(0 if len(j) == 12 and j[9]["usage"] == 0xCF and j[11]["usage"] is None else 1)' "$OUT" ||
  fail "functions --json: $OUT"

run --simulator="$STATE" --lang en info
factory=$(memory)

# Usage errors reach no controller.
for args in "assign" "assign VOL+" "assign VOL+ no-such" "assign 2:120 another-key" "assign 2:120 mute --long nothing" \
            "assign 2:120 mute extra" "quick-setup --functions nothing" "quick-setup --bogus"; do
  run --simulator="$STATE" --lang en $args
  expect_rc 1 "$args"
done
[ "$(memory)" == "$factory" ] || fail "a usage error changed the controller"

# A run nobody confirms (no terminal, no --yes) is cancelled at the summary:
# nothing changes, the presses are used up all the same.
cat >>"$STATE" <<'EOF'
press = 2:120
press = 2:80
EOF
run --simulator="$STATE" --lang en quick-setup --functions volume-up,volume-down
expect_rc 4 "quick-setup unconfirmed"
expect_err_has "Apply the set-up? -> no (use --yes)" "quick-setup unconfirmed"
[ "$(memory)" == "$factory" ] || fail "an unconfirmed quick-setup changed the controller"
grep -q '^press' "$STATE" && fail "the scripted presses were not played"
ls "$SNAPS" | grep -q -- "-quick-setup\.ZMT$" || fail "quick-setup kept no snapshot"

# Three buttons, one with a long press; a function not in the list passes.
cat >>"$STATE" <<'EOF'
press = 2:120
press = 2:80
press = 3:60
EOF
run --simulator="$STATE" --lang en --yes quick-setup --functions volume-up,volume-down/mute,next-track
expect_rc 0 "quick-setup"
# The simulated levels wander by up to 3, as real ones do.
[ "$(wc -l <<<"$OUT")" -eq 3 ] || fail "quick-setup printed: $OUT"
line_matches 1 '^VOL\+ \(2:1(1[7-9]|2[0-3])\): Volume up$'
line_matches 2 '^VOL- \(2:(7[7-9]|8[0-3])\): Volume down; long press: Mute$'
line_matches 3 '^NEXT \(3:(5[7-9]|6[0-3])\): Next track$'
expect_err_has "Press and release the button for Volume up" "quick-setup"
grep -qF "for Mute" <<<"$ERR" && fail "quick-setup asked for a function not in its list"
words=$(controller_words)
grep -q "ConsumerPage:MUTE" <<<"$words" || fail "the long press did not reach the controller: $words"
grep -q "VOL-" <<<"$words" || fail "the buttons did not reach the controller: $words"
learned=$(memory)

# assign: a button in use is refused without --yes, replaced with it.
run --simulator="$STATE" --lang en assign VOL+ mute
expect_rc 4 "assign over a function"
expect_err_has "Any press: Volume up" "assign over a function"
[ "$(memory)" == "$learned" ] || fail "a refused assign changed the controller"
run --simulator="$STATE" --lang en --yes assign VOL+ play-pause --long stop
expect_rc 0 "assign --yes"
expect_out "VOL+ (2:120): Play/Pause; long press: Stop" "assign --yes"
words=$(controller_words)
grep -q "ConsumerPage:PLAY/PAUSE" <<<"$words" || fail "assign --yes: $words"
grep -q "ConsumerPage:VOL+" <<<"$words" && fail "assign --yes kept the old function: $words"

# A new button by channel and level; one at the channel's rest level is no button.
run --simulator="$STATE" --lang en assign 4:200 home
expect_rc 0 "assign a new button"
expect_out "HOME (4:200): Home" "assign a new button"
before=$(memory)
run --simulator="$STATE" --lang en assign 4:12 back
expect_rc 4 "assign at the rest level"
expect_err_has "Level 12 is not above the rest level of channel 4 (10)" "assign at the rest level"
run --simulator="$STATE" --lang en assign NOPE back
expect_rc 4 "assign to no button"
run --simulator="$STATE" --lang en assign HOME nothing
expect_rc 4 "switching off without --yes"
[ "$(memory)" == "$before" ] || fail "a refused assign changed the controller"
run --simulator="$STATE" --lang en --yes assign HOME nothing
expect_rc 0 "switching off"
controller_words | grep -q "AC Home\|ConsumerPage:HOME" && fail "the switched-off button still sends Home"

# Ctrl+C in the middle of a run puts back what the controller held (its
# learned flag included), and says that nothing changed.
held=$(memory)
"$ZMTCTL" --simulator="$STATE" --lang en quick-setup >"$WORK/bg.out" 2>"$WORK/bg.err" </dev/null &
pid=$!
for _ in $(seq 1 400); do grep -q "Do not press anything" "$WORK/bg.err" && break; sleep 0.05; done
kill -INT $pid
wait $pid
rc=$?
[ $rc -eq 4 ] || fail "quick-setup after Ctrl+C: status $rc ($(cat "$WORK/bg.err"))"
grep -q "Nothing was changed" "$WORK/bg.err" || fail "Ctrl+C: $(cat "$WORK/bg.err")"
[ "$(memory)" == "$held" ] || fail "Ctrl+C left the controller changed"

finish
