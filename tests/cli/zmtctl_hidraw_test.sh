# zmtctl over the real hidapi path: hidraw-testbed fakes the controller at the
# kernel interface (umockdev) and the simulated controller answers its
# feature reports. Identity, a read and a write through a composite
# controller, the quick set-up, a device with the right IDs but another
# product string, and a node the user may not open.
. "$(dirname "$0")/lib.sh"
BED="${ZMT_HIDRAW_TESTBED:?the test bed program is not built on this system}"

# bed TESTBED-OPTIONS... -- ZMTCTL-ARGUMENTS...
bed() {
  local options=()
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  shift
  "$BED" "${options[@]}" -- "${AS_USER[@]}" "$ZMTCTL" --lang en "$@" >"$RUN/out" 2>"$RUN/err" </dev/null
  RC=$?
  OUT=$(cat "$RUN/out")
  ERR=$(grep -v '^hidraw-testbed: ' "$RUN/err")
}

AS_USER=()
bed -- info
expect_rc 0 "info"
expect_out_has 'Controller          "ZEL-MORVA-TOUCH"' "info"
expect_out_has 'The serial number   1001' "info"
[ -z "$ERR" ] || fail "info: stderr '$ERR'"

# The keyboard interface is listed first; the configuration still travels.
bed --composite --state "$WORK/unit.sim" -- read "$WORK/a.ZMT"
expect_rc 0 "composite read"
grep -q '^LONGTO=1500' "$WORK/a.ZMT" || fail "composite read: factory long-press time-out missing"
sed 's/^LONGTO=1500/LONGTO=2500/' "$WORK/a.ZMT" >"$WORK/b.ZMT"
bed --composite --state "$WORK/unit.sim" -- --yes write "$WORK/b.ZMT"
expect_rc 0 "composite write"
bed --composite --state "$WORK/unit.sim" -- read "$WORK/c.ZMT"
expect_rc 0 "composite read back"
grep -q '^LONGTO=2500' "$WORK/c.ZMT" || fail "composite write did not reach the controller"

# The quick set-up reads the levels and writes the buttons and events the
# same way: a new button by channel and level, then a guided run whose
# press the simulated controller plays from its state file.
export XDG_DATA_HOME="$WORK/data"
bed --composite --state "$WORK/unit.sim" -- assign 2:120 volume-up --long mute
expect_rc 0 "assign through hidraw"
expect_out "VOL+ (2:120): Volume up; long press: Mute" "assign through hidraw"
echo "press = 3:60" >>"$WORK/unit.sim"
bed --composite --state "$WORK/unit.sim" -- --yes quick-setup --functions next-track
expect_rc 0 "quick-setup through hidraw"
expect_out_has "NEXT (3:" "quick-setup through hidraw"
bed --composite --state "$WORK/unit.sim" -- read "$WORK/d.ZMT"
"$ZMTCTL" --lang en show "$WORK/d.ZMT" >"$WORK/d.txt"
grep -q "ConsumerPage:MUTE" "$WORK/d.txt" && grep -q "ConsumerPage:NEXT TRACK" "$WORK/d.txt" ||
  fail "the set-up did not reach the controller through hidraw: $(cat "$WORK/d.txt")"

bed --product MORVA-TOUCH2 -- info
expect_rc 2 "other product"
expect_out "" "other product"
[ "$ERR" == "Controller is disconnected" ] || fail "other product: stderr '$ERR'"

# A node locked as without the udev rule. Root opens any node, so as root
# zmtctl runs without the capabilities that override file modes.
[ "$(id -u)" -eq 0 ] && AS_USER=(setpriv --bounding-set=-dac_override,-dac_read_search --)
bed --locked -- info
expect_rc 2 "locked"
[ "$(head -n 1 <<<"$ERR")" == "Controller is disconnected" ] || fail "locked: first line of stderr '$ERR'"
expect_err_has "Controller found, but access to it was denied." "locked"
bed --locked -- --log info
[ "$(grep -c 'HID failure' <<<"$ERR")" -eq 0 ] || fail "locked: a refused access logged as another failure: $ERR"
AS_USER=()

finish
