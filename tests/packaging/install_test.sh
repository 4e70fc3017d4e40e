# cmake --install into a scratch prefix: programs, udev rule, desktop entry,
# icons of every size, the configuration files' MIME type and manual pages
# land where desktops and udev look,
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
check_mime "$prefix/share"
for page in zmtsetup zmtctl; do
  # Compressed, and still the page of the sources.
  gzip -dc "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | cmp -s - "$SOURCE/packaging/man/$page.1" \
    || fail "no manual page $page(1) compressed from packaging/man/$page.1"
done
for file in share/doc/zmtsetup/changelog.gz share/doc/zmtsetup/copyright "share/metainfo/$METAINFO" \
            share/bash-completion/completions/zmtctl share/doc/zmtsetup/guide/guide-ru.md \
            share/doc/zmtsetup/guide/guide-en.md share/doc/zmtsetup/screenshots/main-parameters-en.png; do
  [ -f "$prefix/$file" ] || fail "$file not installed"
done

# Nothing installed may be writable by everyone.
bad=$(find "$prefix" -perm -o+w ! -type l)
[ -z "$bad" ] || fail "world-writable: $bad"

out=$("$prefix/bin/zmtctl" --simulator --lang en info 2>&1) || fail "installed zmtctl info failed: $out"
grep -q 'The serial number   1001' <<<"$out" || fail "installed zmtctl info printed: $out"
out=$("$prefix/bin/zmtsetup" --version 2>&1) || fail "installed zmtsetup --version failed: $out"
[[ "$out" == "zmtsetup "* ]] || fail "installed zmtsetup --version printed: $out"

# The package's maintainer scripts never fail an installation or removal,
# whether or not a udev daemon runs here, even when udevadm itself fails.
mkdir -p "$WORK/stub"
printf '#!/bin/sh\necho "udevadm $*" >>"%s/udevadm.log"\nexit 1\n' "$WORK" >"$WORK/stub/udevadm"
chmod +x "$WORK/stub/udevadm"
for step in "postinst configure" "postrm remove" "postrm purge" "postrm upgrade"; do
  set -- $step
  PATH="$WORK/stub:$PATH" sh "$SOURCE/packaging/debian/$1" "$2" >/dev/null 2>&1 || fail "$1 $2 failed"
done
if [ -S /run/udev/control ]; then
  grep -q 'udevadm control --reload-rules' "$WORK/udevadm.log" || fail "postinst did not reload the rules"
elif [ -f "$WORK/udevadm.log" ]; then
  fail "udevadm was called with no udev daemon running: $(cat "$WORK/udevadm.log")"
fi

finish
