# Shared by the checks of the Windows build under Wine: a scratch folder with
# a Wine prefix of its own (never the user's), and small checks that name what
# went wrong. Programs' output comes back with CR LF; the checks see LF.
set -u
WORK=$(mktemp -d)
export WINEPREFIX="$WORK/wine" WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WORK"' EXIT
wineboot -i >/dev/null 2>&1 || { echo "Wine cannot make a prefix in $WINEPREFIX" >&2; exit 1; }
FAILED=0

fail() { echo "FAIL: $*" >&2; FAILED=1; }

# run PROGRAM.exe ARGS...: runs it under Wine, leaving OUT, ERR and RC.
run() {
  wine "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
  RC=$?
  OUT=$(tr -d '\r' <"$WORK/out")
  ERR=$(tr -d '\r' <"$WORK/err")
}

expect_rc() { [ "$RC" -eq "$1" ] || fail "$2: exit status $RC, expected $1 (stdout: $OUT) (stderr: $ERR)"; }
expect_out_has() { grep -qF -- "$1" <<<"$OUT" || fail "$2: stdout lacks '$1' (stdout: $OUT) (stderr: $ERR)"; }
expect_err_has() { grep -qF -- "$1" <<<"$ERR" || fail "$2: stderr lacks '$1' (stderr: $ERR)"; }
finish() { exit "$FAILED"; }
