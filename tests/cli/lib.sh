# Shared by the zmtctl end-to-end scripts: the binary, a scratch folder and
# small checks that name what went wrong.
set -u
ZMTCTL="$1/zmtctl"
[ -x "$ZMTCTL" ] || { echo "no zmtctl at $ZMTCTL" >&2; exit 1; }
WORK=$(mktemp -d)
RUN=$(mktemp -d)
trap 'rm -rf "$WORK" "$RUN"' EXIT
FAILED=0

fail() { echo "FAIL: $*" >&2; FAILED=1; }

# run_program PROGRAM ARGS...: runs it without input, leaving OUT, ERR and RC.
run_program() {
  "$@" >"$RUN/out" 2>"$RUN/err" </dev/null
  RC=$?
  OUT=$(cat "$RUN/out")
  ERR=$(cat "$RUN/err")
}
# run ARGS...: runs zmtctl.
run() { run_program "$ZMTCTL" "$@"; }

expect_rc() { [ "$RC" -eq "$1" ] || fail "$2: exit status $RC, expected $1 (stderr: $ERR)"; }
expect_out() { [ "$OUT" == "$1" ] || fail "$2: stdout was
$OUT
expected
$1"; }
expect_err_has() { grep -qF -- "$1" <<<"$ERR" || fail "$2: stderr lacks '$1' (stderr: $ERR)"; }
expect_out_has() { grep -qF -- "$1" <<<"$OUT" || fail "$2: stdout lacks '$1' (stdout: $OUT)"; }
# until_written FILE: waits (at most 10 s, polling) until FILE has content,
# e.g. the first line of a program started in the background.
until_written() {
  for _ in $(seq 1 200); do
    [ -s "$1" ] && return 0
    sleep 0.05
  done
  return 1
}
finish() { exit "$FAILED"; }
