# Saving never defeats a file's protection: configuration files, firmware
# files and the simulated unit's state written by zmtctl as an ordinary user
# keep their owner, group and mode, a file the user may not write is
# refused and left alone, and a folder that takes no new file still lets a
# writable file in it be saved.
. "$(dirname "$0")/lib.sh"

# Root may write anything, and CI runs as root: the saves then run as nobody
# with "users" as a further group, on a copy of zmtctl in a folder nobody can
# reach (the build folder may be private). An ordinary user runs them as itself.
AREA=$(mktemp -d /tmp/zmtctl-files.XXXXXX)   # /tmp: any user can reach it
trap 'rm -rf "$WORK" "$RUN" "$AREA"' EXIT
chmod 755 "$AREA"
cp "$ZMTCTL" "$AREA/zmtctl"
chmod 755 "$AREA/zmtctl"
mkdir "$AREA/open" "$AREA/closed" "$AREA/runtime"
chmod 700 "$AREA/runtime"                 # the user's own run-time folder, for its lock files
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "setpriv (util-linux) is needed to run as an ordinary user" >&2; exit 1; }
  USERS_GID=$(getent group users | cut -d: -f3)
  [ -n "$USERS_GID" ] || { echo "no group 'users' on this machine" >&2; exit 1; }
  as_user() { setpriv --reuid=65534 --regid=65534 --groups="$USERS_GID" -- "$@"; }
  # A file of the ordinary user's, in the group it shares with others.
  give() { chown 65534:"$USERS_GID" "$@"; }
  chown 65534:65534 "$AREA/open" "$AREA/runtime"   # its own folders
else
  as_user() { "$@"; }
  give() { :; }
  chmod 555 "$AREA/closed"                # made writable again below where needed
fi
# run_user ARGS...: zmtctl as that user, leaving OUT, ERR and RC. Its
# snapshots go to a data folder of that user's and its lock files to a
# run-time folder of its own (the build's are root's).
run_user() {
  as_user env XDG_DATA_HOME="$AREA/open/data" XDG_RUNTIME_DIR="$AREA/runtime" "$AREA/zmtctl" "$@" >"$RUN/out" 2>"$RUN/err" </dev/null
  RC=$?
  OUT=$(cat "$RUN/out")
  ERR=$(cat "$RUN/err")
}
STATE="$AREA/open/unit.sim"
ownership() { stat -c '%U:%G %a %i' "$1"; }

# A file the user may not write, in a folder the user may write: refused,
# and nothing about it changes.
printf '[PARAM]\r\nLONGTO=300\r\n' >"$AREA/open/locked.ZMT"
chmod 444 "$AREA/open/locked.ZMT"
before=$(ownership "$AREA/open/locked.ZMT")
run_user --simulator="$STATE" --lang en read "$AREA/open/locked.ZMT"
expect_rc 3 "read-only file"
expect_err_has "Unable to write to $AREA/open/locked.ZMT" "read-only file"
[ "$(ownership "$AREA/open/locked.ZMT")" == "$before" ] || fail "read-only file: $before became $(ownership "$AREA/open/locked.ZMT")"
grep -q '^LONGTO=300' "$AREA/open/locked.ZMT" || fail "read-only file: its content changed"

# The user's own file shared with a group: saved, mode and group kept.
printf '[PARAM]\r\nLONGTO=300\r\n' >"$AREA/open/shared.ZMT"
give "$AREA/open/shared.ZMT"
chmod 640 "$AREA/open/shared.ZMT"
before=$(ownership "$AREA/open/shared.ZMT" | cut -d' ' -f1-2)
run_user --simulator="$STATE" --lang en read "$AREA/open/shared.ZMT"
expect_rc 0 "shared file"
grep -q '^LONGTO=1500' "$AREA/open/shared.ZMT" || fail "shared file: not saved"
[ "$(ownership "$AREA/open/shared.ZMT" | cut -d' ' -f1-2)" == "$before" ] ||
  fail "shared file: $before became $(ownership "$AREA/open/shared.ZMT")"

# A writable file in a folder that takes no new file: written in place.
[ "$(id -u)" -eq 0 ] || chmod 755 "$AREA/closed"
printf '[PARAM]\r\nLONGTO=300\r\n' >"$AREA/closed/car.ZMT"
give "$AREA/closed/car.ZMT"
[ "$(id -u)" -eq 0 ] || chmod 555 "$AREA/closed"
before=$(ownership "$AREA/closed/car.ZMT")
run_user --simulator="$STATE" --lang en read "$AREA/closed/car.ZMT"
expect_rc 0 "file in a closed folder"
grep -q '^LONGTO=1500' "$AREA/closed/car.ZMT" || fail "file in a closed folder: not saved"
[ "$(ownership "$AREA/closed/car.ZMT")" == "$before" ] || fail "file in a closed folder: $before became $(ownership "$AREA/closed/car.ZMT")"
run_user --simulator="$STATE" --lang en read "$AREA/closed/new.ZMT"
expect_rc 3 "new file in a closed folder"
expect_err_has "Unable to write to $AREA/closed/new.ZMT" "new file in a closed folder"

# A firmware file and the simulated unit's state obey the same rules.
printf '\000\000\000\000\166\000\001\001payload' >"$AREA/open/payload.bin"
printf 'old firmware' >"$AREA/open/locked.LDR"
chmod 444 "$AREA/open/locked.LDR"
run_user --lang en make-ldr "$AREA/open/payload.bin" "$AREA/open/locked.LDR" --version 1.18 --code 1 --type 1
expect_rc 3 "read-only firmware file"
[ "$(cat "$AREA/open/locked.LDR")" == "old firmware" ] || fail "read-only firmware file: overwritten"
run_user --lang en make-ldr "$AREA/open/payload.bin" "$AREA/open/new.LDR" --version 1.18 --code 1 --type 1
expect_rc 0 "firmware file"

cp "$STATE" "$AREA/open/locked.sim"
chmod 444 "$AREA/open/locked.sim"
run_user --simulator="$AREA/open/locked.sim" --lang en --yes defaults
expect_rc 3 "read-only state file"
expect_err_has "Unable to write to $AREA/open/locked.sim" "read-only state file"
cmp -s "$STATE" "$AREA/open/locked.sim" || fail "read-only state file: changed"
chmod 640 "$STATE"
before=$(ownership "$STATE" | cut -d' ' -f1-2)
run_user --simulator="$STATE" --lang en --yes defaults
expect_rc 0 "state file"
[ "$(ownership "$STATE" | cut -d' ' -f1-2)" == "$before" ] || fail "state file: $before became $(ownership "$STATE")"

leftovers=$(find "$AREA" -name '.*.tmp')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"
[ "$(id -u)" -eq 0 ] || chmod 755 "$AREA/closed"
finish
