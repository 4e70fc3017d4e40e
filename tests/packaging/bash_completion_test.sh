# zmtctl's bash completion, driven as bash drives it: the words of the line
# in COMP_WORDS, the cursor's word in COMP_CWORD, the answers in COMPREPLY.
# It offers every command and option --help lists, and for each command only
# files of its kind.
. "$(dirname "$0")/lib.sh"
. "$SOURCE/packaging/linux/zmtctl.bash-completion"

cd "$WORK" || exit 1
# The completion asks zmtctl itself for the function keys: the one built here.
PATH="$BIN:$PATH"
mkdir folder
touch car.ZMT old.zmt new.LDR fw.ldr unit.sim notes.txt

# complete WORD...: the answers for a line whose last word holds the cursor,
# sorted, on one line. "=" is a word of its own, as bash splits it by default.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _zmtctl
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}

# Each row: the expected answers | the words after "zmtctl" (the last one is
# being completed; "''" is an empty word).
while IFS='|' read -r expected words; do
  eval "set -- zmtctl $words"
  got=$(complete_words "$@")
  [ "$got" == "$expected" ] || fail "zmtctl $words: got '$got', expected '$expected'"
done <<'EOF'
assign defaults diff flash functions history info ir levels list make-ldr monitor quick-setup read reset show write|''
show|s
car.ZMT folder old.zmt|show ''
car.ZMT|show c
car.ZMT folder old.zmt|--lang en --log write ''
car.ZMT folder old.zmt|read --simulator = unit.sim ''
folder fw.ldr new.LDR|--yes flash ''
|show car.ZMT ''
|flash new.LDR ''
car.ZMT folder fw.ldr new.LDR notes.txt old.zmt unit.sim|make-ldr ''
folder fw.ldr new.LDR|make-ldr notes.txt ''
folder fw.ldr new.LDR|make-ldr --version 1.18 --code 1 notes.txt ''
|make-ldr notes.txt new.LDR --version ''
|monitor --count ''
|info ''
|-- show car.ZMT ''
en ru|--lang ''
en ru|--lang = ''
ru|--lang = r
--lang=en --lang=ru|--lang=
folder unit.sim|--simulator = ''
unit.sim|--simulator = u
--simulator=unit.sim|--simulator=u
--json|info --j
|read --j
--count|levels --c
--code|make-ldr in.bin --co
--simulator --simulator=|--sim
volume-down volume-up|assign VOL+ vol
|assign ''
mute|assign 2:120 play-pause --long mu
--long|assign 2:120 mute --lon
--functions|quick-setup --f
|quick-setup --functions ''
EOF

# Nothing --help lists is missing: every command, and every option of the
# option lines (the completion's own lists read from where they are offered).
help=$("$BIN/zmtctl" --lang en --help)
commands=$(sed -n '/^COMMANDS$/,/^EXIT STATUS$/p' <<<"$help" | grep -E '^    [a-z]' | awk '{print $1}' | LC_ALL=C sort | paste -sd ' ')
offered=$(complete_words zmtctl '')
[ "$offered" == "$commands" ] || fail "commands offered '$offered', --help lists '$commands'"
for option in $(sed -n '/^OPTIONS$/,/^COMMANDS$/p' <<<"$help" | grep -E '^    -' | grep -oE -- '--?[a-zA-Z][a-z-]*' | sort -u); do
  grep -qw -- "$option" <<<"$(complete_words zmtctl info "${option:0:2}")" || fail "option $option is not offered"
done
for command in $commands; do
  options=$(sed -n "/^    $command /p; /^    $command\$/p" <<<"$help" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
  for option in $options; do
    grep -qw -- "$option" <<<"$(complete_words zmtctl "$command" --)" || fail "$command's option $option is not offered"
  done
done

# A completion that fails in bash itself (a syntax slip, an unset variable
# under set -u) shows as an error, not as an empty answer.
errors=$(bash -uc '. "$1"; COMP_WORDS=(zmtctl show ""); COMP_CWORD=2; _zmtctl; echo "${#COMPREPLY[@]}"' \
         _ "$SOURCE/packaging/linux/zmtctl.bash-completion" 2>&1)
[ "$errors" == "3" ] || fail "completion under set -u: $errors"

finish
