# The Windows installer under Wine: a silent install puts both programs, their
# libraries and Qt's plugins under Program Files with a Start-menu entry and
# an uninstaller and the .ZMT files associated with zmtsetup.exe; the
# installed zmtsetup.exe shows its window on the
# simulated controller (on a virtual X display) and keeps its settings below
# %APPDATA%; the silent uninstall takes everything away again, the
# association too.
# Usage: installer_wine_test.sh SETUP.EXE
. "$(dirname "$0")/wine_lib.sh"
SETUP=$1
[ -f "$SETUP" ] || { echo "no installer at $SETUP" >&2; exit 1; }
DRIVE="$WINEPREFIX/drive_c"
FOLDER="$DRIVE/Program Files/ZEL MORVA TOUCH Setup"
INSTALLED='C:\Program Files\ZEL MORVA TOUCH Setup'

wine "$SETUP" /S
wineserver -w
for file in zmtsetup.exe zmtctl.exe uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libhidapi.dll \
            libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
            styles/qwindowsvistastyle.dll translations/qtbase_ru.qm; do
  [ -f "$FOLDER/$file" ] || fail "not installed: $file"
done
[ -f "$DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/ZEL MORVA TOUCH Setup.lnk" ] ||
  fail "no Start-menu entry"

# .ZMT files open in the installed zmtsetup.exe, with the program's second
# icon and a name for the type in one of the two languages.
classes='HKLM\Software\Classes'
association() {   # association KEY: the key's default value, "" when there is none
  wine reg query "$classes\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'
}
[ "$(association .zmt)" == "zmtsetup.Configuration" ] || fail ".zmt is not associated: '$(association .zmt)'"
wine reg query "$classes\.zmt\OpenWithProgids" /v zmtsetup.Configuration >/dev/null 2>&1 ||
  fail "zmtsetup.Configuration is not in the Open-with list of .zmt"
[ "$(association 'zmtsetup.Configuration\shell\open\command')" == "\"$INSTALLED\\zmtsetup.exe\" \"%1\"" ] ||
  fail "the open command is '$(association 'zmtsetup.Configuration\shell\open\command')'"
[ "$(association 'zmtsetup.Configuration\DefaultIcon')" == "$INSTALLED\\zmtsetup.exe,1" ] ||
  fail "the file icon is '$(association 'zmtsetup.Configuration\DefaultIcon')'"
# The icon it names is the program's second icon group (its own is the first).
groups=$(x86_64-w64-mingw32-objdump -p "$FOLDER/zmtsetup.exe" | sed -n '/Entry: ID: 0x00000e/{n;p;q}' |
         sed -n 's/.*Num Names: \([0-9]*\), IDs: \([0-9]*\).*/\1 \2/p' | awk '{print $1 + $2}')
[ "$groups" == 2 ] || fail "zmtsetup.exe carries ${groups:-no} icon groups, not its own and the files'"
case "$(association zmtsetup.Configuration)" in
  "ZEL MORVA TOUCH configuration" | "Конфигурация ZEL MORVA TOUCH") ;;
  *) fail "the type's name is '$(association zmtsetup.Configuration)'" ;;
esac

# A lean release: no debug information in what is installed (it stays beside
# the build), and an installer that fits a mail attachment.
size=$(stat -c %s "$SETUP")
[ "$size" -lt $((10 * 1024 * 1024)) ] || fail "the installer is $size bytes, not under 10 MB"
while IFS= read -r -d '' binary; do
  ! x86_64-w64-mingw32-objdump -h "$binary" | grep -q ' \.debug_' || fail "debug information in ${binary#"$FOLDER"/}"
done < <(find "$FOLDER" \( -name '*.dll' -o -name '*.exe' \) -print0)

# zmtctl needs no display. Its Wine session (desktop included) is kept alive
# here, so zmtsetup started in it next, even with a display, gets no window:
# it must say so and end, not count the window as shown and then hang.
wineserver -p
run "$INSTALLED\\zmtctl.exe" --simulator --lang en info
expect_out_has '"ZEL-MORVA-TOUCH"' "installed zmtctl"
ZMT_QUIT_WHEN_SHOWN=0 timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" wine "$INSTALLED\\zmtsetup.exe" --simulator \
  </dev/null >/dev/null 2>"$WORK/err"
RC=$?
ERR=$(tr -d '\r' <"$WORK/err")
expect_rc 1 "zmtsetup.exe in a session without a desktop"
expect_err_has "did not create the main window" "zmtsetup.exe in a session without a desktop"
# Every windowed run below starts a session of its own.
wineserver -k
wineserver -w

# The window: the program reports the moment its first window is shown and
# quits (the start-up measurement of the bench), keeping the simulated
# controller in a file with a Cyrillic name. A screenshot run then shows the
# window, closes it as a user would, and so saves the settings.
mkdir "$WORK/Папка"
export ZMT_QUIT_WHEN_SHOWN=0
timeout 180 xvfb-run -a -s "-screen 0 1280x800x24" \
  sh -c 'wine "$1" "$2" 2>"$3"; wineserver -w' sh "$INSTALLED\\zmtsetup.exe" \
  "--simulator=Z:$WORK/Папка/блок.sim" "$WORK/shown" </dev/null >/dev/null
unset ZMT_QUIT_WHEN_SHOWN
grep -q '^shown_after_ms ' "$WORK/shown" || fail "zmtsetup.exe showed no window: $(cat "$WORK/shown")"
# Russian is the first language: Qt's standard buttons need Qt's own texts.
grep -q 'qtbase_ru' "$WORK/shown" && fail "zmtsetup.exe did not find Qt's Russian texts: $(cat "$WORK/shown")"
grep -q '^serial = ' "$WORK/Папка/блок.sim" 2>/dev/null || fail "zmtsetup.exe kept no state file under its Cyrillic name"

mkdir "$WORK/pictures"
timeout 180 xvfb-run -a -s "-screen 0 1280x800x24" \
  sh -c 'wine "$1" --simulator --screenshot "$2"; wineserver -w' sh "$INSTALLED\\zmtsetup.exe" "Z:$WORK/pictures" \
  </dev/null >/dev/null 2>&1
compgen -G "$WORK/pictures/main-*-en.png" >/dev/null || fail "no screenshot of the main window: $(ls "$WORK/pictures")"
settings=$(find "$DRIVE/users" -path '*/AppData/Roaming/zmtsetup/zmtsetup.ini' | head -1)
[ -n "$settings" ] || fail "no settings file below %APPDATA%"
[ -e "$FOLDER/zmtsetup.ini" ] && fail "settings written beside the program"

wine "$INSTALLED\\uninstall.exe" /S
wineserver -w
[ -e "$FOLDER" ] && fail "the uninstaller left $(ls -R "$FOLDER")"
[ -e "$DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/ZEL MORVA TOUCH Setup.lnk" ] &&
  fail "the Start-menu entry is still there"
[ -n "$settings" ] && [ ! -e "$settings" ] && fail "the uninstaller took the user's settings"
for key in .zmt zmtsetup.Configuration; do
  wine reg query "$classes\\$key" >/dev/null 2>&1 && fail "the uninstaller left $classes\\$key"
done
finish
