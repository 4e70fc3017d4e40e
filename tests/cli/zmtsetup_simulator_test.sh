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

# Ended by the system (logout, shutdown, kill, Ctrl+C, a closed terminal): the
# program ends as if closed, so the settings and the simulated unit's state
# are written. Each run waits until the program catches the signal, as seen
# in /proc, rather than for a fixed time.
caught() { # PID SIGNAL: does the process catch that signal yet?
  local mask
  # Until it runs zmtsetup, the process is the shell that starts it, whose
  # own handlers (bash catches SIGINT and SIGTERM) say nothing about ours.
  [ "$(cat "/proc/$1/comm" 2>/dev/null)" == zmtsetup ] || return 1
  mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (( (16#$mask >> ($2 - 1)) & 1 ))
}
# Gone within TRIES polls of 50 ms, or killed outright and false.
ended_within() { # PID TRIES
  for _ in $(seq 1 "$2"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  kill -9 "$1" 2>/dev/null
  return 1
}
for signal in TERM INT HUP; do
  number=$(kill -l "$signal")
  mkdir -p "$WORK/$signal/config"
  printf 'serial = 31337\n' >"$WORK/$signal/unit.sim"
  XDG_CONFIG_HOME="$WORK/$signal/config" "$ZMTSETUP" -platform offscreen \
    --simulator="$WORK/$signal/unit.sim" 2>"$WORK/$signal/err" &
  pid=$!
  for _ in $(seq 1 600); do
    caught "$pid" "$number" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if ! caught "$pid" "$number"; then
    fail "SIG$signal is never caught: $(cat "$WORK/$signal/err")"
    kill -9 "$pid" 2>/dev/null
    wait "$pid"
    continue
  fi
  kill -s "$signal" "$pid"
  ended_within "$pid" 600 || fail "SIG$signal: the program did not end"
  wait "$pid"
  rc=$?
  [ $rc -eq 0 ] || fail "SIG$signal: ended with $rc: $(cat "$WORK/$signal/err")"
  grep -q '^application_version' "$WORK/$signal/unit.sim" || fail "SIG$signal: the simulated unit's state was not saved"
  grep -q '^MainTop=' "$WORK/$signal/config/zmtsetup/zmtsetup.ini" 2>/dev/null ||
    fail "SIG$signal: the settings were not saved"
done

# Ended by the system with a box to answer: the state file's folder is gone
# when the program ends, so saving it fails. Nobody may be there to answer
# the box (a logout), so the program says why on the error output and ends.
mkdir -p "$WORK/gone/config" "$WORK/gone/folder"
XDG_CONFIG_HOME="$WORK/gone/config" "$ZMTSETUP" -platform offscreen \
  --simulator="$WORK/gone/folder/unit.sim" 2>"$WORK/gone/err" &
pid=$!
for _ in $(seq 1 600); do
  caught "$pid" 15 && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
rm -rf "$WORK/gone/folder"
kill -s TERM "$pid"
ended_within "$pid" 600 || fail "SIGTERM with the state file's save failing: the program did not end"
wait "$pid"
rc=$?
[ $rc -eq 0 ] || fail "SIGTERM with the state file's save failing: ended with $rc"
grep -q "No such file or directory" "$WORK/gone/err" || fail "the failed save is not reported: $(cat "$WORK/gone/err")"

exit $FAILED
