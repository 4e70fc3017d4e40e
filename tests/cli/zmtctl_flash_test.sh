# Firmware files and the update through zmtctl against the simulated
# controller kept in a state file: make-ldr builds the file, flash installs
# it, and the next run finds the new application version.
. "$(dirname "$0")/lib.sh"
STATE="$WORK/unit.sim"

# A payload as the simulated application carries it: its own description
# (reserved, version 1.18, device code 1, type 1) first, then anything.
printf '\000\000\000\000\166\000\001\001' >"$WORK/payload.bin"
head -c 3000 /dev/zero | tr '\000' '\132' >>"$WORK/payload.bin"

run --lang en make-ldr "$WORK/payload.bin" "$WORK/new.LDR" --version 1.18 --code 1 --type 1
expect_rc 0 "make-ldr"
[ "$(stat -c %s "$WORK/new.LDR")" -eq 3018 ] || fail "make-ldr: file of $(stat -c %s "$WORK/new.LDR") bytes, expected 3018"
[ "$(od -An -tx1 -j4 -N4 "$WORK/new.LDR" | tr -d ' ')" == "76000101" ] || fail "make-ldr: header version, code and type"

run --lang en make-ldr "$WORK/payload.bin" "$WORK/x.LDR" --version 1.1.8 --code 1 --type 1
expect_rc 1 "make-ldr bad version"
expect_err_has "is not a version like 1.18" "make-ldr bad version"
run --lang en make-ldr "$WORK/payload.bin" "$WORK/x.LDR" --version 1.18 --code 256 --type 1
expect_rc 1 "make-ldr code out of range"
head -c 16375 /dev/zero >"$WORK/huge.bin"
run --lang en make-ldr "$WORK/huge.bin" "$WORK/x.LDR" --version 1.18 --code 1 --type 1
expect_rc 3 "make-ldr payload too long"
[ -e "$WORK/x.LDR" ] && fail "a refused make-ldr left a file"
# A payload that is no file is refused with the reason, never taken for an
# empty one; a pipe is not read at all (it would wait for a writer for ever).
mkdir "$WORK/folder.bin"
mkfifo "$WORK/pipe.bin"
for odd in folder.bin pipe.bin; do
  timeout 60 "$ZMTCTL" --lang en make-ldr "$WORK/$odd" "$WORK/x.LDR" --version 1.18 --code 1 --type 1 \
    >/dev/null 2>"$RUN/err" </dev/null
  RC=$?
  ERR=$(cat "$RUN/err")
  expect_rc 3 "make-ldr payload $odd"
  expect_err_has "Error opening file \"$WORK/$odd\"" "make-ldr payload $odd"
  grep -q "is empty" <<<"$ERR" && fail "make-ldr payload $odd: called empty"
done
expect_err_has "Not a regular file" "make-ldr payload pipe.bin"
run --lang en make-ldr "$WORK/folder.bin" "$WORK/x.LDR" --version 1.18 --code 1 --type 1
expect_err_has "Is a directory" "make-ldr payload folder.bin"
[ -e "$WORK/x.LDR" ] && fail "a refused payload made a file"
: >"$WORK/empty.bin"
run --lang en make-ldr "$WORK/empty.bin" "$WORK/x.LDR" --version 1.18 --code 1 --type 1
expect_rc 3 "make-ldr empty payload"
expect_err_has "is empty" "make-ldr empty payload"
[ -e "$WORK/x.LDR" ] && fail "an empty payload made a file"

# A header and its valid check value with no payload would install nothing
# and report an update: refused by its size, and not a frame goes out.
printf '\000\000\000\000\166\000\001\001\374\106' >"$WORK/hollow.LDR"
run --simulator="$STATE" --lang en --log flash "$WORK/hollow.LDR" --yes
expect_rc 3 "empty payload"
expect_err_has 'Error file size "hollow.LDR"' "empty payload"
grep -qE '> CMD:8[23] ' <<<"$ERR" && fail "an empty payload sent frames: $ERR"

# make-ldr writes like every save: through a unique temporary name, so a
# file of the old fixed name beside the output is left alone.
printf 'mine\n' >"$WORK/new.LDR.tmp"
run --lang en make-ldr "$WORK/payload.bin" "$WORK/new.LDR" --version 1.18 --code 1 --type 1
expect_rc 0 "make-ldr beside a .tmp file"
[ "$(cat "$WORK/new.LDR.tmp")" == "mine" ] || fail "make-ldr overwrote new.LDR.tmp"
[ "$(find "$WORK" -name '.*.tmp' | wc -l)" -eq 0 ] || fail "make-ldr left a temporary file"

# Without --yes and nobody to ask, the same version is refused before anything is sent.
printf '\000\000\000\000\165\000\001\001' | dd of="$WORK/same-payload.bin" 2>/dev/null
run --lang en make-ldr "$WORK/same-payload.bin" "$WORK/same.LDR" --version 1.17 --code 1 --type 1
run --simulator="$STATE" --lang en flash "$WORK/same.LDR"
expect_rc 4 "same version without --yes"
expect_err_has "Are you trying to download the same version as in the device" "same version without --yes"
expect_out_has "Application version 1.17" "same version without --yes"

# Another device's file is refused with the program's message.
run --lang en make-ldr "$WORK/payload.bin" "$WORK/other.LDR" --version 2.00 --code 7 --type 1
run --simulator="$STATE" --lang en flash "$WORK/other.LDR" --yes
expect_rc 2 "other device"
expect_err_has "This update is not for this device" "other device"

# A damaged file names itself.
cp "$WORK/new.LDR" "$WORK/bad.LDR"
printf 'X' | dd of="$WORK/bad.LDR" bs=1 seek=100 conv=notrunc 2>/dev/null
run --simulator="$STATE" --lang en flash "$WORK/bad.LDR" --yes
expect_rc 3 "damaged file"
expect_err_has 'Error in file "bad.LDR"' "damaged file"

run --simulator="$STATE" --lang en flash "$WORK/new.LDR" --yes
expect_rc 0 "flash"
expect_out_has "The update file           \"new.LDR\"" "flash"
expect_err_has "The device is updated to version 1.18" "flash"

run --simulator="$STATE" --lang en info
expect_rc 0 "info after flash"
expect_out_has "Application version 1.18" "info after flash"
expect_out_has '"ZEL-MORVA-TOUCH"' "info after flash"

# An older version is installed when --yes answers the question.
run --simulator="$STATE" --lang en flash "$WORK/same.LDR" --yes
expect_rc 0 "older version with --yes"
expect_err_has "Are you trying to download an older version than the device" "older version with --yes"
run --simulator="$STATE" --lang en info
expect_out_has "Application version 1.17" "info after the older version"

run --simulator="$STATE" --lang en levels --count 3
expect_rc 0 "levels"
[ "$(wc -l <<<"$OUT")" -eq 3 ] || fail "levels: $(wc -l <<<"$OUT") lines, expected 3"
grep -qxE '( *[0-9]+){4}' <<<"$(head -1 <<<"$OUT")" || fail "levels: line '$(head -1 <<<"$OUT")'"
run --simulator="$STATE" --lang en levels --count 0
expect_rc 1 "levels --count 0"
finish
