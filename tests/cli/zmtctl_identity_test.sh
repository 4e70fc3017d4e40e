# zmtctl info against the simulated controller in both languages, the boot
# loader's identity, and a machine with no controller at all.
. "$(dirname "$0")/lib.sh"

run --simulator --lang en info
expect_rc 0 "info en"
expect_out 'Controller          "ZEL-MORVA-TOUCH"
The serial number   1001
Boot version        1.00
Application version 1.17
Device code         1
Device type         1' "info en"
[ -z "$ERR" ] || fail "info en wrote to stderr: $ERR"

run --lang ru info --simulator
expect_rc 0 "info ru"
expect_out 'Контроллер        "ZEL-MORVA-TOUCH"
Серийный номер    1001
Версия загрузчика 1.00
Версия приложения 1.17
Код устройства    1
Тип устройства    1' "info ru"

# The language follows the locale unless --lang says otherwise.
OUT=$(env -u LC_ALL -u LC_MESSAGES LANG=ru_RU.UTF-8 "$ZMTCTL" --simulator info 2>/dev/null)
expect_out_has 'Серийный номер    1001' "Russian locale"
OUT=$(env -u LC_ALL -u LC_MESSAGES LANG=ru_RU.UTF-8 "$ZMTCTL" --simulator --lang en info 2>/dev/null)
expect_out_has 'The serial number   1001' "--lang over the locale"

# A controller running only its boot loader.
printf 'boot_mode = 1\nserial = 4294967295\nboot_version = 205\ndevice_code = 7\ndevice_type = 255\n' >"$WORK/boot.sim"
run --simulator="$WORK/boot.sim" --lang en info
expect_rc 0 "boot loader"
expect_out 'Controller          "ZEL-MORVA-BOOT"
The serial number   4294967295
Boot version        2.05
Application version (application is not loaded)
Device code         7
Device type         255' "boot loader"
run --simulator="$WORK/boot.sim" --lang ru info
expect_out_has 'Версия приложения (Приложение не загружено)' "boot loader ru"

# The real HID search with no controller plugged in (this machine has none).
run --lang en info
expect_rc 2 "no controller"
expect_out "" "no controller"
[ "$ERR" == "Controller is disconnected" ] || fail "no controller en: stderr '$ERR'"
run --lang ru info
expect_rc 2 "no controller ru"
[ "$ERR" == "Контроллер отключен" ] || fail "no controller ru: stderr '$ERR'"

finish
