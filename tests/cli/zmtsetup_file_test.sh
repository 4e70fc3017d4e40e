#!/usr/bin/env bash
# zmtsetup FILE.ZMT from the outside: the file opens at start-up and reaches
# the controller; started again with another file while the first program
# runs for the same (simulated) controller, the second program hands the file
# over and ends, and the running one opens it. Every wait is for a condition
# (a socket, a line in the settings), bounded, never a fixed time.
set -u
BIN="$1"
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done; rm -rf "$WORK"' EXIT
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
export XDG_RUNTIME_DIR="$WORK/runtime" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
settings="$XDG_CONFIG_HOME/zmtsetup/zmtsetup.ini"

# within TRIES COMMAND...: true once COMMAND succeeds, polled every 50 ms.
within() {
  local tries=$1; shift
  for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.05; done
  return 1
}
serving() { compgen -G "$XDG_RUNTIME_DIR/zmtsetup-*.sock" >/dev/null; }
recent() { grep -qF "=$1" "$settings" 2>/dev/null; }
# head_type UNIT: the head unit type the simulated unit holds.
head_type() {
  "$BIN/zmtctl" --simulator="$1" --lang en read "$WORK/check.ZMT" >/dev/null 2>&1 &&
    sed -n 's/^HEAD_TYPE=\([0-9]*\).*/\1/p' "$WORK/check.ZMT" | tr -d '\r'
}
# stop PID: ends the program as the system would, so it saves the unit's state.
stop() {
  kill -TERM "$1"
  within 600 bash -c "! kill -0 $1 2>/dev/null" || { fail "zmtsetup did not end"; kill -9 "$1"; }
  wait "$1" || fail "zmtsetup ended with $?: $(cat "$WORK/first.err")"
}

printf 'serial = 4242\n' >"$WORK/unit.sim"
"$BIN/zmtctl" --simulator="$WORK/unit.sim" read "$WORK/base.ZMT" >/dev/null || fail "no base configuration"
sed 's/^HEAD_TYPE=.*/HEAD_TYPE=3\r/' "$WORK/base.ZMT" >"$WORK/car three.ZMT"
sed 's/^HEAD_TYPE=.*/HEAD_TYPE=5\r/' "$WORK/base.ZMT" >"$WORK/van.zmt"

# Nobody runs: the program opens the file itself, relative to its folder.
(cd "$WORK" && exec "$BIN/zmtsetup" --simulator=unit.sim "car three.ZMT") 2>"$WORK/first.err" &
first=$!
PIDS+=("$first")
within 400 serving || fail "the program never listened for files: $(cat "$WORK/first.err")"
within 400 recent "$WORK/car three.ZMT" || fail "the command line's file was not opened: $(cat "$WORK/first.err")"

# A second program for the same unit hands its file over and ends.
timeout 30 "$BIN/zmtsetup" --simulator="$WORK/./unit.sim" "$WORK/van.zmt" 2>"$WORK/second.err"
rc=$?
[ $rc -eq 0 ] || fail "the second program ended with $rc: $(cat "$WORK/second.err")"
within 400 recent "$WORK/van.zmt" || fail "the handed-over file was not opened"
kill -0 "$first" 2>/dev/null || fail "the first program has gone"
stop "$first"
[ "$(head_type "$WORK/unit.sim")" == 5 ] || fail "the unit holds head unit type $(head_type "$WORK/unit.sim"), not the handed-over file's 5"
serving && fail "the socket was left behind: $(ls "$XDG_RUNTIME_DIR")"

# With the built-in unit too, a second program hands its file to the first
# instead of opening a window of its own over it.
"$BIN/zmtsetup" --simulator "$WORK/car three.ZMT" 2>"$WORK/first.err" &
first=$!
PIDS+=("$first")
within 400 serving || fail "the built-in unit's program never listened for files: $(cat "$WORK/first.err")"
within 400 recent "$WORK/car three.ZMT" || fail "the built-in unit's program did not open its file"
timeout 30 "$BIN/zmtsetup" --simulator "$WORK/van.zmt" 2>"$WORK/second.err"
rc=$?
[ $rc -eq 0 ] || fail "the second built-in program ended with $rc: $(cat "$WORK/second.err")"
within 400 recent "$WORK/van.zmt" || fail "the file was not handed to the built-in unit's program"
stop "$first"

# A unit another program holds is refused in the language the user chose,
# naming the holder (in a box too, which nobody answers here).
sed -i 's/^Lang=.*/Lang=1\r/' "$settings"
"$BIN/zmtsetup" --simulator="$WORK/unit.sim" 2>"$WORK/first.err" &
first=$!
PIDS+=("$first")
within 400 serving || fail "the unit's program never started: $(cat "$WORK/first.err")"
timeout 10 "$BIN/zmtsetup" --simulator="$WORK/unit.sim" 2>"$WORK/second.err"
grep -qF "unit.sim is in use (held by zmtsetup, process $first)" "$WORK/second.err" ||
  fail "a held unit was not refused in English naming its holder: $(cat "$WORK/second.err")"
stop "$first"

# Two files are one too many.
"$BIN/zmtsetup" --simulator "$WORK/van.zmt" "$WORK/car three.ZMT" 2>"$WORK/err"
rc=$?
[ $rc -eq 2 ] || fail "two files gave status $rc"
grep -q "only one file can be opened" "$WORK/err" || fail "two files: $(cat "$WORK/err")"
exit $FAILED
