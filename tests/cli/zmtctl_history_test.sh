# Snapshots through zmtctl: one is kept before each command that changes the
# configuration as a whole, never twice for an unchanged controller; history
# lists them; write puts one back exactly; a firmware update that changes
# the configuration offers the old one back.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"
export XDG_DATA_HOME="$WORK/data"
SNAPS="$WORK/data/zmtsetup/snapshots/1001"
REACTIONS="$ZMT_TEST_DATA/show-reactions.ZMT"

snapshots() { ls "$SNAPS" 2>/dev/null | wc -l; }
# The controller's configuration in words (the read keeps its snapshot
# elsewhere, so that it does not count here).
controller_words() {
  XDG_DATA_HOME="$WORK/reads" "$ZMTCTL" --simulator="$STATE" read "$WORK/now.ZMT" >/dev/null 2>&1 ||
    fail "read for comparing"
  "$ZMTCTL" --lang en show "$WORK/now.ZMT"
}

run --simulator="$STATE" --lang en history
expect_rc 0 "history of nothing"
expect_out "" "history of nothing"
expect_err_has "No snapshots" "history of nothing"

factory=$(controller_words)
reactions=$("$ZMTCTL" --lang en show "$REACTIONS")
run --simulator="$STATE" --lang en --yes write "$REACTIONS"
expect_rc 0 "write"
expect_err_has "The controller's configuration was kept in $SNAPS/" "write"
[ "$(snapshots)" -eq 1 ] || fail "write: $(snapshots) snapshots"
run --simulator="$STATE" --lang en --yes defaults
expect_rc 0 "defaults"
[ "$(snapshots)" -eq 2 ] || fail "defaults: $(snapshots) snapshots"
run --simulator="$STATE" --lang en reset
[ "$(snapshots)" -eq 3 ] || fail "reset: $(snapshots) snapshots"
# Nothing changed since: nothing new to keep.
run --simulator="$STATE" --lang en reset
expect_rc 0 "second reset"
[ "$(snapshots)" -eq 3 ] || fail "unchanged controller kept twice"
grep -q "was kept in" <<<"$ERR" && fail "second reset claims a new snapshot"
# A question answered No keeps nothing.
run --simulator="$STATE" --lang en write "$REACTIONS"
expect_rc 4 "write refused"
[ "$(snapshots)" -eq 3 ] || fail "a refused write kept a snapshot"

run --simulator="$STATE" --lang en history
expect_rc 0 "history"
[ "$(wc -l <<<"$OUT")" -eq 3 ] || fail "history: $OUT"
head -1 <<<"$OUT" | grep -Eq "^20[0-9-]{8} [0-9:]{8} UTC  1001  Before a restart  $SNAPS/[0-9]{8}-[0-9]{6}(_[0-9]+)?-restart\.ZMT$" ||
  fail "history's newest line: $(head -1 <<<"$OUT")"
tail -1 <<<"$OUT" | grep -q "  Before a file was sent  " || fail "history's oldest line: $(tail -1 <<<"$OUT")"
run --lang ru history --serial 1001
grep -q "Перед сбросом в состояние по умолчанию" <<<"$OUT" || fail "history in Russian: $OUT"
run --simulator="$STATE" --json history
expect_rc 0 "history --json"
causes=$(python3 -c 'import json,sys; print(" ".join(e["cause"] for e in json.load(sys.stdin) if e["serialNumber"] == 1001))' <<<"$OUT")
[ "$causes" == "restart defaults file-sent" ] || fail "history --json causes: $causes ($OUT)"
run --serial 1002 --json history
expect_out "[]" "history of another serial"

# Putting back the snapshot taken before the reset to defaults gives the
# controller the file's configuration again; putting back the oldest one
# (the factory configuration) keeps what it replaces, with its cause.
kept() { python3 -c "import json,sys; print(json.load(sys.stdin)[$1][\"path\"])" <<<"$("$ZMTCTL" --json history)"; }
run --simulator="$STATE" --lang en --yes write "$(kept 1)"
expect_rc 0 "restore"
[ "$(controller_words)" == "$reactions" ] || fail "restored configuration differs"
run --simulator="$STATE" --lang en --yes write "$(kept 2)"
[ "$(controller_words)" == "$factory" ] || fail "restored factory configuration differs"
ls "$SNAPS" | grep -q -- "-restore\.ZMT$" || fail "restore: no snapshot with its cause ($(ls "$SNAPS"))"

# No place to keep a snapshot: nothing is changed.
: >"$WORK/plain"
XDG_DATA_HOME="$WORK/plain" run --simulator="$STATE" --lang en --yes write "$REACTIONS"
expect_rc 3 "write without a snapshot folder"
expect_err_has "nothing was changed" "write without a snapshot folder"
[ "$(controller_words)" == "$factory" ] || fail "write went on without a snapshot"

# Comparing: files, snapshots and the controller; statuses as diff(1).
run --lang en diff "$REACTIONS" "$REACTIONS"
expect_rc 0 "diff of a file with itself"
expect_out "" "diff of a file with itself"
run --simulator="$STATE" --lang en diff controller "$(kept 1)"
expect_rc 0 "diff of the controller with the snapshot of the same configuration"
run --simulator="$STATE" --lang en diff controller "$REACTIONS"
expect_rc 1 "diff of the factory configuration with the file"
expect_out_has "Events" "diff in English"
grep -q "^  + 1: " <<<"$OUT" || fail "diff lacks the file's event 1 marked +: $OUT"
run --simulator="$STATE" --lang ru diff controller "$REACTIONS"
expect_rc 1 "diff in Russian"
expect_out_has "События" "diff in Russian"
run --simulator="$STATE" --json diff "$REACTIONS" controller
expect_rc 1 "diff --json"
python3 -c '
import json, sys
d = json.load(sys.stdin)
assert d["same"] is False
assert all(set(e) == {"section", "key", "before", "after"} for e in d["differences"])
assert any(e["key"] == "event1" and e["before"] and not e["after"] for e in d["differences"])
' <<<"$OUT" || fail "diff --json: $OUT"
run --json diff "$REACTIONS" "$REACTIONS"
expect_out '{"same":true,"differences":[]}' "diff --json of the same"
run --lang en diff "$REACTIONS" "$WORK/missing.ZMT"
expect_rc 3 "diff of a missing file"
run --lang en diff "$REACTIONS"
expect_rc 1 "diff of one file"
expect_err_has "two files (or controller) are needed" "diff of one file"

# A read keeps what it read.
XDG_DATA_HOME="$WORK/fresh" run --simulator="$STATE" --lang en read "$WORK/read.ZMT"
expect_rc 0 "read"
ls "$WORK/fresh/zmtsetup/snapshots/1001" | grep -q -- "-first-read\.ZMT$" || fail "read kept no snapshot"

# A firmware that starts from the factory configuration: the old one is
# offered back and put back. One that keeps it asks nothing.
payload() {
  printf "\\$(printf %03o "$1")\\000\\000\\000\\166\\000\\001\\001" >"$WORK/payload.bin"
  head -c 3000 /dev/zero >>"$WORK/payload.bin"
  "$ZMTCTL" make-ldr "$WORK/payload.bin" "$WORK/new.LDR" --version 1.18 --code 1 --type 1 --reserved "$1" ||
    fail "make-ldr"
}
run --simulator="$STATE" --yes write "$REACTIONS"
payload 0
run --simulator="$STATE" --lang en --yes flash "$WORK/new.LDR"
expect_rc 0 "flash keeping the configuration"
grep -q "Put the old configuration back" <<<"$ERR" && fail "flash that kept the configuration asked"
ls "$SNAPS" | grep -q -- "-firmware-update\.ZMT$" || fail "flash kept no snapshot"
payload 1
run --simulator="$STATE" --lang en --yes flash "$WORK/new.LDR"
expect_rc 0 "flash clearing the configuration"
expect_err_has "Put the old configuration back?" "flash clearing the configuration"
expect_out_has "The old configuration was written to the controller" "flash clearing the configuration"
[ "$(controller_words)" == "$reactions" ] || fail "the old configuration is not back after the update"
# A snapshot cut short is never put back: refused naming the file, with
# the controller as it was. An ordinary file cut short is sent only after a
# warning that names what it lacks (and answered No without --yes).
before_cut=$(controller_words)
newest=$(ls "$SNAPS" | sort | tail -n 1)
head -c 1500 "$SNAPS/$newest" >"$WORK/cut-snapshot.ZMT"
run --simulator="$STATE" --lang en --yes write "$WORK/cut-snapshot.ZMT"
expect_rc 3 "cut snapshot"
expect_err_has "The snapshot $WORK/cut-snapshot.ZMT is incomplete" "cut snapshot"
[ "$(controller_words)" == "$before_cut" ] || fail "cut snapshot: the controller changed"
"$ZMTCTL" --simulator="$STATE" --lang en read "$WORK/whole.ZMT" >/dev/null 2>&1 || fail "read for the cut file"
head -c 1500 "$WORK/whole.ZMT" >"$WORK/cut.ZMT"
run --simulator="$STATE" --lang en write "$WORK/cut.ZMT"
expect_rc 4 "cut file without --yes"
expect_err_has "File $WORK/cut.ZMT lacks keys every saved configuration file has" "cut file"
expect_err_has "EVENTS/EVKEY01..EVKEY60" "cut file"
[ "$(controller_words)" == "$before_cut" ] || fail "cut file: the controller changed without an answer"
run --simulator="$STATE" --lang ru --yes write "$WORK/cut.ZMT"
expect_rc 0 "cut file with --yes"
expect_err_has "нет ключей, которые есть в каждом сохранённом файле конфигурации" "cut file in Russian"

# A firmware file that fails its checks keeps no snapshot: the file is
# checked first.
kept=$(snapshots)
head -c 600 /dev/urandom >"$WORK/broken.LDR"
run --simulator="$STATE" --lang en --yes flash "$WORK/broken.LDR"
expect_rc 3 "broken firmware file"
[ "$(snapshots)" -eq "$kept" ] || fail "a snapshot was kept for a firmware file that was refused"

finish
