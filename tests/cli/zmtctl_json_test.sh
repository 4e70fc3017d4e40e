# zmtctl --json: info, ir and show print one object that a JSON parser
# takes, with the same facts as their text; errors stay on stderr with the
# same exit statuses; names of any bytes still give valid JSON.
. "$(dirname "$0")/lib.sh"
DATA="${ZMT_TEST_DATA:-$(dirname "$0")/../data}"
command -v python3 >/dev/null || { echo "FAIL: python3 is missing; scripts/deps installs it" >&2; exit 1; }

# json_is PYTHON-EXPRESSION WHAT: the expression, over the parsed stdout as
# j, is true. Stdout must be exactly one JSON value and one line.
json_is() {
  [ "$(printf '%s\n' "$OUT" | wc -l)" -eq 1 ] || fail "$2: stdout is not one line: $OUT"
  python3 -c 'import json,sys; j=json.loads(sys.argv[1]); sys.exit(0 if eval(sys.argv[2]) else 1)' "$OUT" "$1" \
    || fail "$2: not ($1) in: $OUT"
}

# info: the facts of the text lines, as numbers where they are numbers.
printf 'boot_mode = 1\nserial = 4294967295\nboot_version = 205\ndevice_code = 7\ndevice_type = 255\n' >"$WORK/boot.sim"
run --simulator --json info
expect_rc 0 "info"
json_is 'j == {"controller": "ZEL-MORVA-TOUCH", "serialNumber": 1001, "bootVersion": "1.00",
               "applicationVersion": "1.17", "deviceCode": 1, "deviceType": 1}' "info"
[ -z "$ERR" ] || fail "info --json wrote to stderr: $ERR"
run --simulator="$WORK/boot.sim" --lang ru info --json
json_is 'j == {"controller": "ZEL-MORVA-BOOT", "serialNumber": 4294967295, "bootVersion": "2.05",
               "applicationVersion": None, "deviceCode": 7, "deviceType": 255}' "boot loader"
# Failures: the text on stderr, nothing on stdout, the same statuses.
run --lang en --json info
expect_rc 2 "no controller"
expect_out "" "no controller"
[ "$ERR" == "Controller is disconnected" ] || fail "no controller: stderr '$ERR'"
printf 'open_denied = 1\n' >"$WORK/locked.sim"
run --simulator="$WORK/locked.sim" --lang en --json info
expect_rc 2 "access denied"
expect_out "" "access denied"
expect_err_has "access to it was denied" "access denied"
run --simulator --json info extra
expect_rc 1 "info with an argument"
# Only commands with facts to give take --json.
for command in monitor reset levels "read $WORK/x.ZMT"; do
  run --simulator --lang en --json $command
  expect_rc 1 "--json $command"
  expect_err_has "--json works only with info, list, show, ir, history, diff and functions" "--json $command"
done
[ ! -e "$WORK/x.ZMT" ] || fail "read --json wrote a file"

# ir: the code's parts and the editor's text for it.
STATE="$WORK/unit.sim"
run --simulator="$STATE" --lang en --json ir
expect_rc 0 "no code"
json_is 'j == {"received": False, "protocol": None, "address": None, "command": None, "text": "No Infrared code"}' "no code"
sed -i 's/^ir_code = .*/ir_code = 11 04 00 01/' "$STATE"
run --simulator="$STATE" --lang ru --json ir
json_is 'j == {"received": True, "protocol": 1, "address": 4, "command": 17, "text": "NEC 4 / 17"}' "NEC code"
run --lang en --json ir
expect_rc 2 "ir without a controller"
expect_out "" "ir without a controller"

# show: every fact of the text listing is in the object, in the same
# language, and nothing else is listed.
compare_show() {   # FILE LANG
  "$ZMTCTL" --lang "$2" show "$1" >"$WORK/text" 2>/dev/null
  "$ZMTCTL" --lang "$2" --json show "$1" >"$WORK/json" 2>/dev/null || fail "show --json $1 failed"
  python3 - "$WORK/text" "$WORK/json" <<'EOF' || fail "show --json $1 ($2) differs from the text"
import json, re, sys
text = open(sys.argv[1], encoding="utf-8").read().splitlines()
j = json.load(open(sys.argv[2], encoding="ascii"))   # pure ASCII: every other character escaped
ok = True
def check(condition, what):
    global ok
    if not condition:
        print("mismatch:", what, file=sys.stderr)
        ok = False
buttons = [l for l in text if re.match(r"^  (Ch|Канал) \d", l)]
check(len(buttons) == len(j["buttons"]), "number of buttons")
for line, b in zip(buttons, j["buttons"]):
    check(re.search(r"\b%d \[%d\]  %s +\D+ %d, \D+ %d$" % (b["channel"], b["slot"], re.escape(b["name"]), b["code"], b["limit"]), line), line)
events = [l for l in text if re.match(r"^  \d+: ", l)]
responses = [l.split(": ", 1)[1] for l in text if re.match(r"^      \S+: ", l)]
check([int(l.split(":")[0]) for l in events] == [e["number"] for e in j["events"]], "event numbers")
for line, response, e in zip(events, responses, j["events"]):
    check(e["typeText"] in line and response == e["response"], line)
    for part in ("irCode", "button", "modifier"):
        check(e[part] is None or (" " + e[part]) in line, line + " / " + part)
    check(len(e["reaction"]) == 8 and int(e["reaction"], 16) >= 0, "reaction bytes")
check(text[[i for i, l in enumerate(text) if l.startswith(("Button HOME: ", "Кнопка HOME: "))][0]].split(": ", 1)[1] == j["home"]["response"], "HOME")
p = j["parameters"]
check(" %d " % p["longTapMs"] in text[-5], "long tap")
for line, encoder in zip(text[-4:-2], p["encoders"]):
    check(line.endswith(" %s, %s %d" % (encoder["modeText"], line.split()[-2], encoder["divisor"])), line)
check(text[-2].endswith(" " + p["touchPanel"]["modeText"]), "touch mode")
check(text[-1].endswith(": " + p["headUnitText"]), "head unit")
sys.exit(0 if ok else 1)
EOF
}
compare_show "$DATA/show-reactions.ZMT" en
compare_show "$DATA/show-reactions.ZMT" ru
compare_show "$DATA/handwritten.ZMT" en
run --lang en --json show "$DATA/show-reactions.ZMT"
json_is 'j["events"][4]["irCode"] == "NEC 4 / 17" and j["events"][4]["button"] is None and j["events"][4]["wakeUp"]' "IR-triggered event"
json_is 'j["events"][1]["modifier"] == "MOD" and j["events"][1]["type"] == 3 and j["home"]["reaction"] == "01000200"' "event facts"
json_is 'j["parameters"]["touchPanel"] == {"windows": True, "fiveLines": False, "wakeUp": True, "mode": 0, "modeText": "Disabled"}' "touch panel"

# Values out of every list keep their stored number; damaged keys are named
# in the object and warned about on stderr as before.
printf '[PARAM]\nENC1MODE=9\nHEAD_TYPE=200\nLONGTO=12x4\n[KEYSCH3]\nKEY01=2A0FC3F0EEECEA\n' >"$WORK/odd.ZMT"
run --lang en --json show "$WORK/odd.ZMT"
expect_rc 0 "odd values"
expect_err_has 'PARAM/LONGTO' "damaged"
json_is 'j["damaged"] == ["PARAM/LONGTO"] and j["parameters"]["encoders"][1]["mode"] == 9 and j["parameters"]["headUnitText"] == "? (200)"' "odd values"
json_is 'j["buttons"] == [{"channel": 3, "slot": 1, "name": "Громк", "code": 42, "limit": 15}]' "Cyrillic name"
grep -q '\\u0413\\u0440' <<<"$OUT" || fail "Cyrillic is not escaped: $OUT"

# A file name with a quote, a backslash, a tab, a line break, Cyrillic, a
# character beyond the basic plane and a byte that is no UTF-8 at all.
name=$(printf 'q"b\\\\t\tn\nя😀\xff.ZMT')
cp "$DATA/show-reactions.ZMT" "$WORK/$name"
run --lang en --json show "$WORK/$name"
expect_rc 0 "odd file name"
json_is 'j["file"].endswith("q\"b\\\\t\tn\nя\U0001F600\ufffd.ZMT")' "odd file name"
grep -q '\\ud83d\\ude00' <<<"$OUT" || fail "no surrogate pair for the emoji: $OUT"

run --lang en --json show "$WORK/missing.ZMT"
expect_rc 3 "missing file"
expect_out "" "missing file"
expect_err_has "not found" "missing file"
run --lang en --json show
expect_rc 1 "no file"

finish
