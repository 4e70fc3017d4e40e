# zmtctl show: a configuration file in words, with triggers as the event
# editor shows them and reactions as its memo describes them; and zmtctl ir:
# the controller's last infrared code as the editor's trigger text.
. "$(dirname "$0")/lib.sh"
DATA="${ZMT_TEST_DATA:-$(dirname "$0")/../data}"
FIXTURE="$DATA/show-reactions.ZMT"

run --lang en show "$FIXTURE"
expect_rc 0 "show en"
[ -z "$ERR" ] || fail "show en wrote to stderr: $ERR"
expect_out 'Buttons
  Ch 1 [1]  VOL+   code 40, limit 10
  Ch 1 [2]  1.60   code 60, limit 10
  Ch 2 [1]  MOD    code 80, limit 12
Events
  1: Button VOL+; Long tap; One time only
      Response: lCtrl + rAlt + A + KEY2:x32
  2: Modifier MOD, Button 1.60; Any press
      Response: ConsumerPage:x1234
  3: Button Enc1+; Any press; One time only
      Response: ConsumerPage:VOL+
  4: Button VOL+; Short press
      Response: Sleep
  5: IR code NEC 4 / 17; Short press; Wake Up
      Response: Enter
  6: Button 1.60; Long tap
      Response: IR code NEC 260 / 34
  7: Button Enc2+ ?; Any press; One time only
      Response: B
  8: Button 4.[2] ?; Short press
      Response: C
Button HOME: Sleep
Parameters
  Long tap > 800 mSec
  Encoder 1: mode pins RXD/TXD, divisor 3
  Encoder 2: mode Disabled, divisor 1
  Touch panel: Windows yes, 5 lines no, wake up yes, mode Disabled
  Head unit: PIONEER type 1' "show en"

# Showing never writes the file, though the editor's rules reshape event 10.
cp "$FIXTURE" "$WORK/copy.ZMT"
run --lang ru show "$WORK/copy.ZMT"
expect_rc 0 "show ru"
cmp -s "$FIXTURE" "$WORK/copy.ZMT" || fail "show changed the file"
expect_out_has '  5: ИК код NEC 4 / 17; Короткое нажатие; Пробуждать' "show ru"
expect_out_has '      Реакция: ИК код NEC 260 / 34' "show ru"
expect_out_has '  2: Модификатор MOD, Кнопка 1.60; Любое нажатие' "show ru"
expect_out_has '  Головное устройство: PIONEER тип 1' "show ru"
grep -q '^  10:' <<<"$OUT" && fail "an event the editor empties was listed"

# Names in the file's Cyrillic code page, and values out of every list.
printf '[PARAM]\nENC1MODE=9\nHEAD_TYPE=200\n[KEYSCH3]\nKEY01=2A0FC3F0EEECEA\n' >"$WORK/odd.ZMT"
run --lang en show "$WORK/odd.ZMT"
expect_rc 0 "odd values"
expect_out_has '  Ch 3 [1]  Громк  code 42, limit 15' "Cyrillic name"
expect_out_has '  Encoder 2: mode ? (9), divisor 1' "encoder mode out of range"
expect_out_has '  Head unit: ? (200)' "head unit out of range"

# Damaged values: listed as read, with a warning naming them.
printf '[PARAM]\nLONGTO=12x4\n' >"$WORK/damaged.ZMT"
run --lang en show "$WORK/damaged.ZMT"
expect_rc 0 "damaged"
expect_err_has 'PARAM/LONGTO' "damaged"

# Files that cannot be shown.
run --lang en show "$WORK/missing.ZMT"
expect_rc 3 "missing file"
expect_out "" "missing file"
expect_err_has "not found" "missing file"
printf 'not a configuration\n' >"$WORK/text.ZMT"
run --lang en show "$WORK/text.ZMT"
expect_rc 3 "not a configuration"
run --lang en show "$WORK"
expect_rc 3 "a folder"
run --lang en show
expect_rc 1 "no file"
run --lang en show "$FIXTURE" extra
expect_rc 1 "two files"

# zmtctl ir against the simulated controller's receiver.
STATE="$WORK/unit.sim"
run --simulator="$STATE" --lang en ir
expect_rc 0 "no code"
expect_out 'No Infrared code' "no code"
run --simulator="$STATE" --lang ru ir
expect_out 'ИК код отсутствует' "no code ru"
sed -i 's/^ir_code = .*/ir_code = 11 04 00 01/' "$STATE"
run --simulator="$STATE" --lang en ir
expect_rc 0 "NEC code"
expect_out 'NEC 4 / 17' "NEC code"
sed -i 's/^ir_code = .*/ir_code = 03 10 01 02/' "$STATE"
run --simulator="$STATE" --lang en ir
expect_out 'JVC 272 / 3' "JVC code"
sed -i 's/^ir_code = .*/ir_code = 01 02 00 09/' "$STATE"
run --simulator="$STATE" --lang ru ir
expect_out 'Отсутствует' "unnamed protocol"
run --simulator --lang en ir now
expect_rc 1 "ir with an argument"
run --lang en ir
expect_rc 2 "ir without a controller"
[ "$ERR" == "Controller is disconnected" ] || fail "ir without a controller: stderr '$ERR'"

finish
