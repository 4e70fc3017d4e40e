# scripts/translations on a copy of the sources: each fault a catalogue or
# the code can have is listed by check, update brings the catalogues up to
# the code without guessing, and new starts a language that check accepts
# once translated.
. "$(dirname "$0")/lib.sh"
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)

# fresh: a copy of what the script reads, as committed.
fresh() {
  rm -rf "$WORK/repo"
  mkdir -p "$WORK/repo/scripts"
  cp -r "$SOURCE/src" "$SOURCE/translations" "$WORK/repo/"
  cp "$SOURCE/scripts/translations" "$WORK/repo/scripts/"
  REPO=$WORK/repo
  PO=$REPO/translations/ru.po
}
translations() { run_program python3 "$REPO/scripts/translations" "$@"; }
# mark TEXT: a new marked text in the code.
mark() { printf '\nconst char* const kProbe = N_("%s");\n' "$1" >>"$REPO/src/lang/lang.cpp"; }
# add_line LINE: a line more in the code.
add_line() { printf '\n%s\n' "$1" >>"$REPO/src/lang/lang.cpp"; }
# po OLD NEW: replaces text in ru.po ("\n" in either is a line break).
po() {
  python3 - "$PO" "$1" "$2" <<'PY'
import sys
path, old, new = (argument.replace("\\n", "\n") for argument in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
assert old in text, "not in ru.po: " + old
open(path, "w", encoding="utf-8").write(text.replace(old, new, 1))
PY
}

fresh
translations check
expect_rc 0 "check on the committed catalogues"

# Each row: a change to the copy (a function above and its arguments), and
# what check must then say.
faults=(
  "mark|A text for the probe||translations/zmtsetup.pot is out of date"
  "mark|A text for the probe||  new in src/: A text for the probe"
  "mark|Mode||the same texts; their files, order, comments or flags differ"
  'add_line|const char* k = localized("Проба\0" "Probe");||a two-language literal'
  'add_line|const char* k = localized(on ? "Probe on" : "Probe off");||only the first reaches the catalogues'
  'po|msgid "See: zmtctl --help"|#, fuzzy\nmsgid "See: zmtctl --help"|fuzzy (a guess to confirm), 1:'
  'po|msgstr "Подробности: zmtctl --help"|msgstr ""|untranslated, 1:'
  'po|msgid "See: zmtctl --help"\nmsgstr "Подробности: zmtctl --help"\n||missing (run scripts/translations update), 1:'
  "po|лишний аргумент '%s'|лишний аргумент '%d'|msgfmt --check failed"
  'po|nplurals=3;|nplurals=2;|plural expression can produce values as large as 2'
  'po|X-Language-Name|X-Name|the header has no X-Language-Name'
  'po|Plural-Forms|X-Plural|the header has no Plural-Forms'
)
for row in "${faults[@]}"; do
  IFS='|' read -r change first second expected <<<"$row"
  fresh
  "$change" "$first" "$second"
  translations check
  expect_rc 1 "check after $change $first"
  expect_err_has "$expected" "check after $change $first"
done

# update: the new text reaches the template and comes into ru.po untranslated,
# not with a guess from a similar text; a second update changes nothing.
fresh
mark 'Delete this key now'
translations update
expect_rc 0 "update"
grep -qF 'msgid "Delete this key now"' "$REPO/translations/zmtsetup.pot" || fail "update: the new text is not in the template"
grep -A1 -F 'msgid "Delete this key now"' "$PO" | grep -qx 'msgstr ""' || fail "update: the new text came into ru.po translated (a guess)"
grep -q 'fuzzy' "$PO" && fail "update: ru.po has fuzzy entries"
cp -r "$REPO/translations" "$WORK/after-first"
translations update
diff -r "$WORK/after-first" "$REPO/translations" >/dev/null || fail "a second update changed the catalogues"
translations check
expect_err_has "untranslated, 1:" "check after update"
expect_err_has "Delete this key now" "check after update"

# new: the plural rule from msginit and the language's own name; once
# translated (each text as itself here) the catalogue passes the check.
fresh
translations new de --name Deutsch
expect_rc 0 "new de"
expect_out_has "scripts/translations check" "new de: says what to do next"
for line in '"Language: de\n"' '"X-Language-Name: Deutsch\n"' '"Plural-Forms: nplurals=2; plural=(n != 1);\n"'; do
  grep -qF "$line" "$REPO/translations/de.po" || fail "new de: no $line"
done
translations check
expect_err_has "translations/de.po: untranslated, " "check with an untranslated de.po"
python3 - "$REPO/translations/de.po" <<'PY'
import re, sys
path = sys.argv[1]
def translate(entry):
    if entry.lstrip().startswith('msgid ""\nmsgstr ""\n"'):   # the header
        return entry
    texts = dict(re.findall(r'^(msgid|msgid_plural) ((?:".*"\n?)+)', entry, re.M))
    entry = entry.replace('msgstr ""', "msgstr " + texts.get("msgid", '""').strip(), 1)
    entry = entry.replace('msgstr[0] ""', "msgstr[0] " + texts.get("msgid", '""').strip(), 1)
    return entry.replace('msgstr[1] ""', "msgstr[1] " + texts.get("msgid_plural", '""').strip(), 1)
text = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write("\n\n".join(translate(entry) for entry in text.split("\n\n")))
PY
translations check
expect_rc 0 "check with de.po translated"

# Refusals make nothing.
refusals=(
  "de|Deutsch|is there already"
  "en|English|the code is written in English"
  "qps|Pseudo|made by the build"
  "pt_BR|Português|without a country"
  "fr||give the language's name in itself"
  'fr|Fran"çais|without quotes'
)
for row in "${refusals[@]}"; do
  IFS='|' read -r code name expected <<<"$row"
  if [ -n "$name" ]; then translations new "$code" --name "$name"; else translations new "$code"; fi
  expect_rc 1 "new $code $name"
  expect_err_has "$expected" "new $code $name"
done
[ -e "$REPO/translations/fr.po" ] || [ -e "$REPO/translations/pt_BR.po" ] && fail "a refused new left a catalogue"

# Without the gettext tools the check fails and says what to install.
mkdir -p "$WORK/bin"
ln -sf "$(python3 -c 'import sys; print(sys.executable)')" "$WORK/bin/python3"
run_program env PATH="$WORK/bin" python3 "$REPO/scripts/translations" check
expect_rc 1 "check without gettext"
expect_err_has "install the Debian package gettext" "check without gettext"

finish
