# zmtsetup --simulator from the outside: pictures of the connected program and
# of the Simulator window, and a state file it cannot read stops it with a
# message before any window opens.
set -u
ZMTSETUP="$1/zmtsetup"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }

printf 'serial = 31337\n' >"$WORK/unit.sim"
timeout 60 "$ZMTSETUP" -platform offscreen --simulator="$WORK/unit.sim" --screenshot "$WORK/shots" 2>"$WORK/err"
rc=$?
[ $rc -eq 0 ] || fail "screenshots ended with $rc: $(cat "$WORK/err")"
for picture in main-connected-ru main-connected-en simulator-ru simulator-en; do
  [ -s "$WORK/shots/$picture.png" ] || fail "no $picture.png"
done

printf 'serial = 31337\nserial = many\n' >"$WORK/bad.sim"
cp "$WORK/bad.sim" "$WORK/before.sim"
timeout 60 "$ZMTSETUP" -platform offscreen --simulator="$WORK/bad.sim" 2>"$WORK/err"
rc=$?
[ $rc -eq 2 ] || fail "a bad state file gave status $rc"
grep -q "line 2" "$WORK/err" || fail "the message does not name the line: $(cat "$WORK/err")"
cmp -s "$WORK/bad.sim" "$WORK/before.sim" || fail "the bad state file was rewritten"

exit $FAILED
