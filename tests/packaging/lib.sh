# Shared by the packaging checks: the build tree (the argument is the folder
# of the built programs, inside it), the sources, a scratch folder and a
# failure that names what went wrong.
set -u
BIN=$(cd "$1" && pwd)
BUILD=$(cd "$BIN/.." && pwd)
SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILED=0

fail() { echo "FAIL: $*" >&2; FAILED=1; }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing; scripts/deps installs it" >&2; exit 1; }; }
finish() { exit "$FAILED"; }

# check_rule FILE: the udev rule matches the controller's hidraw node by its
# USB IDs and grants access through the seat, never to everyone.
check_rule() {
  local rule=$1
  grep -Eq '^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="ffff", ATTRS\{idProduct\}=="2013", TAG\+="uaccess"$' "$rule" \
    || fail "$rule does not tag the controller's hidraw node uaccess"
  ! grep -Eq 'MODE|GROUP|OWNER' "$rule" || fail "$rule sets a mode, group or owner"
  [[ "$(basename "$rule")" < "73-seat-late.rules" ]] || fail "$rule sorts after 73-seat-late.rules"
}

# check_desktop FILE: valid for desktops and it starts our program with our icon.
check_desktop() {
  need desktop-file-validate
  desktop-file-validate "$1" || fail "$1 is not a valid desktop entry"
  grep -qx 'Exec=zmtsetup %f' "$1" || fail "$1 does not start zmtsetup with the file opened"
  grep -qx 'Icon=zmtsetup' "$1" || fail "$1 names another icon"
  grep -qx "MimeType=$MIME_TYPE;" "$1" || fail "$1 does not declare $MIME_TYPE"
}

# check_mime SHARE: the configuration files' type as desktops see it once
# SHARE (an installed or unpacked share folder) is in their data folders: the
# shared MIME database built from it knows *.ZMT and *.zmt as the type, with
# its icon of every size, and xdg-mime names zmtsetup.desktop to open it.
MIME_TYPE=application/x-zmtsetup-configuration
check_mime() {
  local share=$1 data="$WORK/xdg-data" size
  need update-mime-database
  need update-desktop-database
  need xdg-mime
  [ -f "$share/mime/packages/zmtsetup.xml" ] || { fail "no $share/mime/packages/zmtsetup.xml"; return; }
  rm -rf "$data"
  mkdir -p "$data/mime/packages" "$data/applications"
  cp "$share/mime/packages/zmtsetup.xml" "$data/mime/packages/"
  cp "$share/applications/zmtsetup.desktop" "$data/applications/"
  update-mime-database "$data/mime" >"$WORK/mime.log" 2>&1 || fail "update-mime-database: $(cat "$WORK/mime.log")"
  update-desktop-database "$data/applications" >>"$WORK/mime.log" 2>&1 || fail "update-desktop-database: $(cat "$WORK/mime.log")"
  [ -f "$data/mime/${MIME_TYPE}.xml" ] || fail "the MIME database has no $MIME_TYPE"
  for pattern in '*.ZMT' '*.zmt'; do
    grep -qF ":$MIME_TYPE:$pattern" "$data/mime/globs2" || fail "$pattern is not $MIME_TYPE in the MIME database"
  done
  for size in $ICON_SIZES; do
    [ -f "$share/icons/hicolor/${size}x${size}/mimetypes/${MIME_TYPE/\//-}.png" ] \
      || fail "no ${size}x${size} icon for $MIME_TYPE"
  done
  [ -f "$share/icons/hicolor/scalable/mimetypes/${MIME_TYPE/\//-}.svg" ] || fail "no scalable icon for $MIME_TYPE"
  local default
  default=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" \
            XDG_CONFIG_HOME="$WORK/xdg-config" XDG_CONFIG_DIRS="$WORK/xdg-config" xdg-mime query default "$MIME_TYPE" 2>&1)
  [ "$default" == "zmtsetup.desktop" ] || fail "xdg-mime opens $MIME_TYPE with '$default', not zmtsetup.desktop"
}

ICON_SIZES="16 22 24 32 48 64 128 256"

# check_metainfo FILE RULE DESKTOP VERSION: AppStream accepts it, it launches
# the desktop entry, provides the USB IDs the udev rule grants access to,
# and its newest release is VERSION.
METAINFO=org.example.zmtsetup.metainfo.xml
check_metainfo() {
  local file=$1 rule=$2 desktop=$3 version=$4 vendor product
  need appstreamcli
  appstreamcli validate --no-net --pedantic "$file" >"$WORK/appstream.log" 2>&1 \
    || fail "$file does not validate: $(cat "$WORK/appstream.log")"
  grep -qF "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$file" \
    || fail "$file does not launch $(basename "$desktop")"
  vendor=$(grep -oP 'idVendor}=="\K[0-9a-f]{4}' "$rule")
  product=$(grep -oP 'idProduct}=="\K[0-9a-f]{4}' "$rule")
  grep -qF "<modalias>usb:v${vendor^^}p${product^^}d*</modalias>" "$file" \
    || fail "$file does not provide the modalias of $vendor:$product"
  [ "$(grep -m1 -oP '<release version="\K[^"]+' "$file")" == "$version" ] || fail "$file's newest release is not $version"
}
