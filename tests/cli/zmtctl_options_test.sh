# zmtctl's command line: help and version, and every kind of bad input ends
# with a usage message and status 1 before anything touches a controller.
. "$(dirname "$0")/lib.sh"

run --help --lang en
expect_rc 0 "--help"
for text in SYNOPSIS '--simulator[=FILE]' '--lang ru|en' '--log' '--yes' 'EXIT STATUS' \
            '    info' '    monitor [--count N]' '3   a file cannot be read or written'; do
  expect_out_has "$text" "--help"
done
run -h --lang ru
expect_out_has 'КОДЫ ВОЗВРАТА' "--help ru"
run --version
expect_rc 0 "--version"
grep -qE '^zmtctl [0-9]+\.[0-9]+$' <<<"$OUT" || fail "--version printed '$OUT'"

# usage_case EXPECTED-STDERR-TEXT ARGS...
usage_case() {
  local expected=$1; shift
  run --lang en "$@"
  expect_rc 1 "$*"
  expect_out "" "$*"
  expect_err_has "$expected" "$*"
  expect_err_has "zmtctl --help" "$*"
}
usage_case "no command given"
usage_case "unknown command 'frobnicate'" frobnicate
usage_case "unknown option '--bogus'" --bogus info
usage_case "unknown option '-x'" -x info
usage_case "neither ru nor en" --lang=de info
usage_case "the file name is missing" --simulator= info
usage_case "unexpected argument 'extra'" --simulator info extra
usage_case "unexpected argument '--fast'" --simulator monitor --fast
# monitor and levels read --count alike: a decimal number, nothing else.
for command in monitor levels; do
  usage_case "--count needs a number" --simulator $command --count
  for bad in 0 -1 abc 12x 0x10 " 5" 99999999999 ""; do
    usage_case "is not a number from 1" --simulator $command --count="$bad"
  done
done

# After "--" nothing is an option any more, not even a global one.
usage_case "unexpected argument '--log'" --simulator info -- --log
run --simulator --lang en -- info
expect_rc 0 "command after --"

# A usage error leaves a state file alone, even one that does not exist yet.
run --simulator="$WORK/never.sim" info extra
expect_rc 1 "usage error with a state file"
[ -e "$WORK/never.sim" ] && fail "a usage error created the state file"

# --lang given last still decides the language of an earlier error.
run --bogus --lang ru
expect_err_has "неизвестный параметр '--bogus'" "Russian usage error"

finish
