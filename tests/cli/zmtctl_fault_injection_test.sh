# zmtctl with system calls failing under strace's fault injection, the way
# a disk or a file system fails: the simulated unit's state file is the old
# one or the complete new one after every run, the exit status is 0 only
# for the new one, a failure names its real reason, and no temporary file
# is left. A state file that cannot be read stops the run before anything
# is written over it. (tests/config/file_fault_test.cpp fails every call of
# the writer and the loaders in turn through their seam; this checks the
# programs as they run, with the system's own calls failing.)
. "$(dirname "$0")/lib.sh"
if ! command -v strace >/dev/null; then
  echo "NOT RUN: strace is not installed (scripts/deps installs it); no fault was injected" >&2
  exit 77
fi
# LeakSanitizer cannot look at a process that is being traced.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

declare -A REASON=([EIO]="Input/output error" [ENOSPC]="No space left on device"
                   [EDQUOT]="Disk quota exceeded" [EINTR]="Interrupted system call"
                   [EXDEV]="Invalid cross-device link" [EACCES]="Permission denied")
STATE="$WORK/unit.sim"
run --simulator="$STATE" --lang en info
sed -i 's/^config.0000 = ../config.0000 = 5A/' "$STATE"   # something for the reset to change
cp "$STATE" "$WORK/old.sim"
run --simulator="$STATE" --lang en --yes defaults
cp "$STATE" "$WORK/new.sim"
cmp -s "$WORK/old.sim" "$WORK/new.sim" && fail "the reset changed nothing in the state file"

# inject NAME ERROR STRACE-OPTIONS...: the reset run under strace, starting
# from the old state; then the checks.
inject() {
  local name=$1 error=$2
  shift 2
  cp "$WORK/old.sim" "$STATE"
  [ -n "${TWIN:-}" ] && ln -f "$STATE" "$TWIN"
  strace -f -o /dev/null "$@" "$ZMTCTL" --simulator="$STATE" --lang en --yes defaults \
    >"$RUN/out" 2>"$RUN/err" </dev/null
  RC=$?
  ERR=$(cat "$RUN/err")
  if cmp -s "$STATE" "$WORK/new.sim"; then
    :
  elif cmp -s "$STATE" "$WORK/old.sim"; then
    [ $RC -ne 0 ] || fail "$name: reported success, but the state file is the old one"
  else
    fail "$name: the state file is neither the old nor the new one ($(wc -c <"$STATE") bytes)"
  fi
  if [ $RC -ne 0 ]; then
    grep -qF "${REASON[$error]}" <<<"$ERR" || fail "$name: status $RC without the reason '${REASON[$error]}': $ERR"
  fi
  [ -n "${TWIN:-}" ] && ! cmp -s "$STATE" "$TWIN" && fail "$name: the second name of the state file lost it"
  ls -A "$WORK" | grep -q '\.tmp$' && fail "$name: a temporary file was left: $(ls -A "$WORK")"
}

# Reading the state file fails: an error with its reason, nothing run, the
# file left as it was (it used to be taken for an empty one, and a new
# controller was saved over it).
for error in EIO EACCES; do
  inject "open $error" "$error" -P "$STATE" -e trace=openat -e inject=openat:error=$error
done
inject "read EIO" EIO -P "$STATE" -e trace=read -e inject=read:error=EIO
[ $RC -eq 3 ] || fail "read EIO: status $RC, expected 3"
expect_err_has "Simulator state file error: $STATE: Input/output error" "read EIO"
grep -q 'reset' "$RUN/out" && fail "read EIO: the command ran on a state that was not read"

# Saving fails at each step: the file's own calls (no other part of zmtctl
# makes them), first and second time.
# inject_each LABEL "CALLS" "ERRORS": each call failing with each error, the
# first time and the second.
inject_each() {
  local call error when
  for call in $2; do
    for error in $3; do
      for when in 1 2; do
        inject "$1$call $error #$when" "$error" -e trace=$call -e inject=$call:error=$error:when=$when
      done
    done
  done
}
inject_each "" "pwrite64 fsync rename fchmod fchown flock" "EIO ENOSPC EDQUOT EINTR"
inject "rename EXDEV" EXDEV -e trace=rename -e inject=rename:error=EXDEV
# The faults above did happen: a disk that takes no byte is reported.
inject "pwrite64 ENOSPC" ENOSPC -e trace=pwrite64 -e inject=pwrite64:error=ENOSPC
expect_rc 3 "pwrite64 ENOSPC"
expect_err_has "Cannot write the simulator state file: Unable to write to $STATE" "pwrite64 ENOSPC"

# The same for a state file with a second name, rewritten in place.
TWIN="$WORK/twin.sim"
inject_each "in place: " "pwrite64 fallocate ftruncate fsync" "EIO ENOSPC EDQUOT"
# A full disk fails before the first old byte is overwritten.
inject "in place: no room" ENOSPC -e trace=fallocate -e inject=fallocate:error=ENOSPC
expect_rc 3 "in place: no room"
cmp -s "$STATE" "$WORK/old.sim" || fail "in place: no room: the old state is damaged"
unset TWIN

# make-ldr with a payload that cannot be read: its reason, not "is empty".
printf '\000\000\000\000\166\000\001\001payload' >"$WORK/payload.bin"
strace -f -o /dev/null -P "$WORK/payload.bin" -e trace=read -e inject=read:error=EIO \
  "$ZMTCTL" --lang en make-ldr "$WORK/payload.bin" "$WORK/out.LDR" --version 1.18 --code 1 --type 1 \
  >"$RUN/out" 2>"$RUN/err" </dev/null
RC=$?
ERR=$(cat "$RUN/err")
expect_rc 3 "make-ldr, payload read EIO"
expect_err_has "Error reading file \"$WORK/payload.bin\"" "make-ldr, payload read EIO"
expect_err_has "Input/output error" "make-ldr, payload read EIO"
[ -e "$WORK/out.LDR" ] && fail "make-ldr, payload read EIO: a file was made"
finish
