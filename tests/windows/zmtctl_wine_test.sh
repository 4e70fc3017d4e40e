# zmtctl.exe of the Windows release, run under Wine on the simulated
# controller kept in a state file: identity in both languages, a configuration
# read into a file, written back and described, and a firmware update from a
# made .LDR, every file in a folder with a Cyrillic name. Saving over an
# existing file replaces it; a read-only file is refused and stays as it was.
# Usage: zmtctl_wine_test.sh RELEASE-FOLDER
. "$(dirname "$0")/wine_lib.sh"
ZMTCTL="$1/zmtctl.exe"
[ -f "$ZMTCTL" ] || { echo "no zmtctl.exe at $ZMTCTL" >&2; exit 1; }
cd "$WORK"
DIR="Настройки машины"
mkdir "$DIR"
STATE="$DIR/блок.sim"
ctl() { run "$ZMTCTL" --simulator="$STATE" "$@"; }

ctl --lang en info
expect_rc 0 "info"
expect_out_has '"ZEL-MORVA-TOUCH"' "info in English"
expect_out_has "Application version 1.17" "info in English"
ctl --lang ru info
expect_out_has "Версия приложения 1.17" "info in Russian"
[ -f "$STATE" ] || fail "the state file was not kept under its Cyrillic name"

ctl --lang ru read "$DIR/заводская.ZMT"
expect_rc 0 "read"
expect_out_has "Конфигурация контроллера записана в $DIR/заводская.ZMT" "read in Russian"
grep -q '^LONGTO=1500' "$DIR/заводская.ZMT" || fail "read: the file lacks the long-press time-out"

# A file of our own into the controller, then read over the existing file.
sed 's/^LONGTO=1500/LONGTO=900/' "$DIR/заводская.ZMT" >"$DIR/своя.ZMT"
ctl --lang en --yes write "$DIR/своя.ZMT"
expect_rc 0 "write"
ctl --lang en read "$DIR/заводская.ZMT"
expect_rc 0 "read over an existing file"
grep -q '^LONGTO=900' "$DIR/заводская.ZMT" || fail "the existing file was not replaced"
[ "$(ls "$DIR" | wc -l)" -eq 3 ] || fail "files left beside the saved one: $(ls "$DIR")"

ctl --lang en show "$DIR/своя.ZMT"
expect_rc 0 "show"
expect_out_has "900" "show: the long-press time-out"

# A read-only file (the Windows attribute) is refused, never replaced.
cp "$DIR/своя.ZMT" "$DIR/защищённая.ZMT"
wine attrib +r "$DIR\\защищённая.ZMT" >/dev/null 2>&1
before=$(md5sum <"$DIR/защищённая.ZMT")
ctl --lang en read "$DIR/защищённая.ZMT"
expect_rc 3 "read into a read-only file"
expect_err_has "Unable to write to $DIR/защищённая.ZMT" "read into a read-only file"
[ "$(md5sum <"$DIR/защищённая.ZMT")" == "$before" ] || fail "the read-only file was changed"

# Firmware: a made .LDR with a Cyrillic name, installed, and the new version seen.
printf '\000\000\000\000\166\000\001\001' >"$DIR/прошивка.bin"
head -c 3000 /dev/zero | tr '\000' '\132' >>"$DIR/прошивка.bin"
run "$ZMTCTL" --lang en make-ldr "$DIR/прошивка.bin" "$DIR/прошивка.LDR" --version 1.18 --code 1 --type 1
expect_rc 0 "make-ldr"
[ "$(stat -c %s "$DIR/прошивка.LDR" 2>/dev/null)" == 3018 ] || fail "make-ldr: no file of 3018 bytes"
ctl --lang en --yes flash "$DIR/прошивка.LDR"
expect_rc 0 "flash"
ctl --lang en info
expect_out_has "Application version 1.18" "info after the update"
finish
