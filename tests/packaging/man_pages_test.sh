# The manual pages say what --help says: every option and command of zmtctl,
# every option of zmtsetup, the same version; and man renders them without a
# warning.
. "$(dirname "$0")/lib.sh"
need man

# The page's text with troff's escaped hyphens made plain.
page_text() { sed 's/\\-/-/g' "$SOURCE/packaging/man/$1.1"; }

ctl_help=$("$BIN/zmtctl" --lang en --help)
ctl_page=$(page_text zmtctl)
# Option lines of the help are indented four blanks and start with "-".
while read -r option; do
  grep -qF -- "$option" <<<"$ctl_page" || fail "zmtctl.1 lacks the option $option"
done < <(grep -E '^    -' <<<"$ctl_help" | grep -oE -- '--?[a-z][a-z-]*' | sort -u)
# Command lines sit between COMMANDS and EXIT STATUS, indented four blanks.
commands=$(sed -n '/^COMMANDS$/,/^EXIT STATUS$/p' <<<"$ctl_help" | grep -E '^    [a-z]' | awk '{print $1}')
[ -n "$commands" ] || fail "no commands found in zmtctl --help"
for command in $commands; do
  # A tag line in bold: .B name, .BI "name ...", or \fBname\fR ...
  grep -Eq "^(\.B[IR]? \"?|\\\\fB)$command( |\"|\\\\fR|$)" <<<"$ctl_page" || fail "zmtctl.1 lacks the command $command"
done
statuses=$(sed -n '/^EXIT STATUS$/,/^$/p' <<<"$ctl_help" | grep -oE '^    [0-9]+' | tr -d ' ')
[ -n "$statuses" ] || fail "no exit statuses found in zmtctl --help"
for status in $statuses; do
  grep -qx ".B $status" <<<"$ctl_page" || fail "zmtctl.1 lacks exit status $status"
done

setup_help=$("$BIN/zmtsetup" --help)
setup_page=$(page_text zmtsetup)
while read -r option; do
  grep -qF -- "$option" <<<"$setup_page" || fail "zmtsetup.1 lacks the option $option"
done < <(grep -E '^  -' <<<"$setup_help" | grep -oE -- '--?[a-z][a-z-]*' | sort -u)

for program in zmtctl zmtsetup; do
  version=$("$BIN/$program" --version | awk '{print $2}')
  grep -q "^\.TH [A-Z]* 1 \"[0-9-]*\" \"zmtsetup $version\"" "$SOURCE/packaging/man/$program.1" \
    || fail "$program.1 is not marked with version $version"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$SOURCE/packaging/man/$program.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$program.1 renders with warnings: $warnings"
done

# The desktop entry, the udev rule and the AppStream metadata in the
# sources, checked here too so that a mistake shows without installing.
check_desktop "$SOURCE/packaging/linux/zmtsetup.desktop"
check_rule "$SOURCE/packaging/linux/70-zel-morva-touch.rules"
check_metainfo "$SOURCE/packaging/linux/$METAINFO" "$SOURCE/packaging/linux/70-zel-morva-touch.rules" \
               "$SOURCE/packaging/linux/zmtsetup.desktop" "$("$BIN/zmtctl" --version | awk '{print $2}')"

finish
