# The Windows build's HID code against the simulated controller over Wine's
# own HID stack: wine_hid_tests.exe runs under Wine inside the Linux hidraw
# test bed, once with the controller as one interface and once as a
# composite device. Wine's HID bus reads the bed's hidraw node through
# libudev, so hidapi's Windows backend, hid.dll and hidclass carry every frame.
# The composite device is the bed's split one: Windows lists each top-level
# collection of a node as a device of its own, Wine 8 does not, so the
# collections come on interfaces of their own (what Windows then shows).
# Usage: hid_wine_test.sh HIDRAW-TESTBED WINE_HID_TESTS.EXE
. "$(dirname "$0")/wine_lib.sh"
BED="$1"
TESTS="$2"
[ -x "$BED" ] || { echo "no hidraw-testbed at '$BED' (scripts/windows gives the Linux build's)" >&2; exit 1; }
[ -f "$TESTS" ] || { echo "no wine_hid_tests.exe at $TESTS" >&2; exit 1; }

# Wine's SDL bus keeps its udev bus from starting; the wine server and its
# drivers must start inside the bed to see its devices, so none may be left.
wine reg add 'HKLM\System\CurrentControlSet\Services\winebus' /v 'Enable SDL' /t REG_DWORD /d 0 /f >/dev/null 2>&1 ||
  fail "cannot turn Wine's SDL bus off"
wineserver -w
# The stand-in beside the tests is taken before Wine's cfgmgr32.dll.
export WINEDLLOVERRIDES=cfgmgr32=n,b
export ZMT_TESTBED_CABLE="$WORK/cable"

for layout in Plain Composite; do
  options=()
  [ "$layout" = Composite ] && options=(--composite-split)
  # Wine's HID bus loses a node that comes back while it still removes the
  # old one; a real controller takes about a second to enumerate again.
  "$BED" "${options[@]}" --cable "$ZMT_TESTBED_CABLE" --replug-delay 1000 -- \
    sh -c 'wine "$1" --gtest_filter="$2"; rc=$?; wineserver -k; exit $rc' sh "$TESTS" "WineHid$layout.*" \
    >"$WORK/out" 2>"$WORK/err" </dev/null
  rc=$?
  tr -d '\r' <"$WORK/out"
  if [ "$rc" -ne 0 ]; then
    fail "$layout: the Windows HID tests ended with status $rc"
    grep -v '^wine\|wine32\|multiarch\|dpkg --add' "$WORK/err" >&2
  fi
  # A run that found no tests would pass with nothing checked.
  grep -q '^\[  PASSED  \] [1-9]' <(tr -d '\r' <"$WORK/out") || fail "$layout: no test passed"
done
finish
