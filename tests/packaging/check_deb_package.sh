# The Debian package, made from this build tree with CPack into
# <build>/package: its contents, its control data (dependencies, the udev
# reload on install), what Debian's own checker (lintian) and AppStream's
# validator say of it, and programs that start from the unpacked tree.
# Registered only with -DZMT_PACKAGE_TEST=ON (scripts/package does that).
. "$(dirname "$0")/lib.sh"
need cpack
need dpkg-deb
need lintian
need appstreamcli

rm -rf "$BUILD/package"
(cd "$BUILD" && cpack -G DEB -B "$BUILD/package") >"$WORK/cpack.log" 2>&1 \
  || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; finish; }
debs=("$BUILD"/package/zmtsetup_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "expected one zmtsetup_*.deb in $BUILD/package"; finish; }
deb=${debs[0]}

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$BUILD/CMakeCache.txt")
[ "$prefix" == "/usr" ] || fail "the package is built for prefix '$prefix', not /usr"

contents=$(dpkg-deb -c "$deb")
for path in usr/bin/zmtsetup usr/bin/zmtctl usr/lib/udev/rules.d/70-zel-morva-touch.rules \
            usr/share/applications/zmtsetup.desktop usr/share/icons/hicolor/scalable/apps/zmtsetup.svg \
            usr/share/man/man1/zmtsetup.1.gz usr/share/man/man1/zmtctl.1.gz \
            usr/share/doc/zmtsetup/changelog.gz usr/share/doc/zmtsetup/copyright \
            "usr/share/metainfo/$METAINFO" usr/share/bash-completion/completions/zmtctl \
            usr/share/mime/packages/zmtsetup.xml usr/share/doc/zmtsetup/guide/guide-ru.md \
            usr/share/doc/zmtsetup/guide/guide-en.md usr/share/doc/zmtsetup/screenshots/main-parameters-ru.png; do
  grep -qE " \./$path$" <<<"$contents" || fail "package lacks /$path"
done
for size in $ICON_SIZES; do
  grep -qE " \./usr/share/icons/hicolor/${size}x${size}/apps/zmtsetup.png$" <<<"$contents" || fail "package lacks the ${size}x${size} icon"
done
# Modes: the programs executable by all, nothing writable by others, all root's.
grep -E '^-rwxr-xr-x root/root .* \./usr/bin/zmtctl$' <<<"$contents" >/dev/null || fail "zmtctl mode or owner wrong"
! awk '{print $1}' <<<"$contents" | grep -qE '^.{8}w' || fail "world-writable entries in the package"

info=$(dpkg-deb -I "$deb")
grep -qx ' Package: zmtsetup' <<<"$info" || fail "package name"
version=$("$BIN/zmtctl" --version | awk '{print $2}')
grep -qx " Version: $version" <<<"$info" || fail "package version is not $version"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
# One package name a line, versions dropped.
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for dependency in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libhidapi-hidraw0 \
                  qt6-qpa-plugins fonts-dejavu-core qt6-translations-l10n; do
  grep -qxF "$dependency" <<<"$names" || fail "Depends lacks $dependency: $depends"
done
# The icons are pictures made at build time; no SVG library is loaded.
grep -qxF libqt6svg6 <<<"$names" && fail "Depends still names libqt6svg6: $depends"
postinst=$(dpkg-deb -I "$deb" postinst) || fail "no postinst"
grep -q 'udevadm control --reload-rules && udevadm trigger' <<<"$postinst" || fail "postinst does not reload udev rules"
grep -q '/run/udev/control' <<<"$postinst" || fail "postinst reload is not guarded for a system without udev"
dpkg-deb -I "$deb" postrm >/dev/null || fail "no postrm"

# Debian's checker: no error and no warning (overrides would be listed as
# "O:" and need a reason; there are none). Its report is shown either way.
lintian --fail-on error,warning --display-level ">=info" "$deb" >"$WORK/lintian.log" 2>&1 \
  || fail "lintian rejects the package"
grep -v '^running with root privileges' "$WORK/lintian.log" >&2 || true
! grep -qE '^[EW]: ' "$WORK/lintian.log" || fail "lintian reports errors or warnings"
# scripts/package builds with Debian's hardening flags; lintian would see
# their loss only as information.
! grep -q ' hardening-' "$WORK/lintian.log" || fail "the programs are built without Debian's hardening flags"

# Unpacked where nothing is installed: the programs start from there.
root="$WORK/root"
dpkg-deb -x "$deb" "$root"
check_rule "$root/usr/lib/udev/rules.d/70-zel-morva-touch.rules"
check_desktop "$root/usr/share/applications/zmtsetup.desktop"
check_mime "$root/usr/share"
grep -qF "<mediatype>$MIME_TYPE</mediatype>" "$root/usr/share/metainfo/$METAINFO" || fail "the metainfo does not provide $MIME_TYPE"
check_metainfo "$root/usr/share/metainfo/$METAINFO" "$root/usr/lib/udev/rules.d/70-zel-morva-touch.rules" \
               "$root/usr/share/applications/zmtsetup.desktop" "$version"
# The changelog's newest entry is this version, on the day of the newest release.
changelog=$(gzip -dc "$root/usr/share/doc/zmtsetup/changelog.gz")
head -1 <<<"$changelog" | grep -q "^zmtsetup ($version) " || fail "the changelog's newest entry is not $version: $(head -1 <<<"$changelog")"
changed=$(date -u -d "$(grep -m1 '^ -- ' <<<"$changelog" | sed 's/.*>  //')" +%F)
grep -q "<release version=\"$version\" date=\"$changed\"" "$root/usr/share/metainfo/$METAINFO" \
  || fail "the metainfo's release $version is not dated $changed like the changelog"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$root/usr/share/doc/zmtsetup/copyright" \
  || fail "the copyright file is not in the machine-readable format"
cmp -s "$root/usr/share/bash-completion/completions/zmtctl" "$SOURCE/packaging/linux/zmtctl.bash-completion" \
  || fail "the package's bash completion is not packaging/linux/zmtctl.bash-completion"
out=$("$root/usr/bin/zmtctl" --version 2>&1) && [ "$out" == "zmtctl $version" ] || fail "unpacked zmtctl --version: $out"
out=$("$root/usr/bin/zmtctl" --simulator --lang en info 2>&1) || fail "unpacked zmtctl info failed: $out"
grep -q 'The serial number   1001' <<<"$out" || fail "unpacked zmtctl info printed: $out"
# The rule the programs name when access is denied is the one the package installs.
printf 'open_denied = 1\n' >"$WORK/locked.sim"
out=$("$root/usr/bin/zmtctl" --simulator="$WORK/locked.sim" --lang en info 2>&1)
named=$(grep -oE '/[^ ]*70-zel-morva-touch\.rules' <<<"$out")
[ "$named" == "/usr/lib/udev/rules.d/70-zel-morva-touch.rules" ] || fail "a denied zmtctl names the rule '$named': $out"
[ -f "$root$named" ] || fail "the rule zmtctl names is not in the package: $named"
out=$("$root/usr/bin/zmtsetup" --version 2>&1) && [ "$out" == "zmtsetup $version" ] || fail "unpacked zmtsetup --version: $out"
# The window itself, on the offscreen platform: start, picture, exit.
"$root/usr/bin/zmtsetup" --simulator --screenshot "$WORK/shots" >"$WORK/shots.log" 2>&1 \
  || fail "unpacked zmtsetup --simulator --screenshot failed: $(cat "$WORK/shots.log")"
ls "$WORK"/shots/*.png >/dev/null 2>&1 || fail "unpacked zmtsetup saved no pictures"

echo "checked $deb"
finish
