# cmake --install into a scratch prefix: programs, udev rule, desktop entry,
# icons of every size and manual pages land where desktops and udev look,
# and the installed programs run.
. "$(dirname "$0")/lib.sh"
need cmake

prefix="$WORK/prefix"
cmake --install "$BUILD" --prefix "$prefix" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log" >&2; fail "cmake --install failed"; finish; }

for file in bin/zmtsetup bin/zmtctl; do
  [ -x "$prefix/$file" ] || fail "$file not installed or not executable"
done
rule="$prefix/lib/udev/rules.d/70-zel-morva-touch.rules"
[ -f "$rule" ] && check_rule "$rule" || fail "udev rule not installed at $rule"
desktop="$prefix/share/applications/zmtsetup.desktop"
[ -f "$desktop" ] && check_desktop "$desktop" || fail "desktop entry not installed at $desktop"
for size in $ICON_SIZES; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/zmtsetup.png"
  [ -f "$icon" ] || { fail "no ${size}x${size} icon"; continue; }
  # PNG header: the width and height are big-endian at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" == "${size}x${size}" ] || fail "${size}x${size} icon is $dims"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/zmtsetup.svg" ] || fail "no scalable icon"
for page in zmtsetup zmtctl; do
  [ -f "$prefix/share/man/man1/$page.1" ] || fail "no manual page $page(1)"
done

# Nothing installed may be writable by everyone.
bad=$(find "$prefix" -perm -o+w ! -type l)
[ -z "$bad" ] || fail "world-writable: $bad"

out=$("$prefix/bin/zmtctl" --simulator --lang en info 2>&1) || fail "installed zmtctl info failed: $out"
grep -q 'The serial number   1001' <<<"$out" || fail "installed zmtctl info printed: $out"
out=$("$prefix/bin/zmtsetup" --version 2>&1) || fail "installed zmtsetup --version failed: $out"
[[ "$out" == "zmtsetup "* ]] || fail "installed zmtsetup --version printed: $out"

finish
