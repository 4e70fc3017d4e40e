# Real full disks and a read-only file system, on small tmpfs mounts: the
# state file keeps its old content when the disk has no room for the new
# one, whether it is replaced through a temporary file or rewritten in
# place (a second name), and a read-only file system is named as such.
# Mounting needs root; elsewhere the script says so and ctest counts it as
# not run (file_fault_test and zmtctl_fault_injection_test inject the same
# errors anywhere).
. "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "NOT RUN: mounting a small tmpfs needs root; no full disk was tried" >&2
  exit 77
fi
DISK=$(mktemp -d)
if ! mount -t tmpfs -o size=64k,mode=755 zmt-full-disk "$DISK"; then
  rmdir "$DISK"
  echo "NOT RUN: this machine lets even root mount no tmpfs; no full disk was tried" >&2
  exit 77
fi
trap 'umount "$DISK"; rmdir "$DISK"; rm -rf "$WORK" "$RUN"' EXIT

# A state file written densely (2000 firmware bytes on one line, no
# configuration lines), and the disk filled to the last block: the new state
# file, about twice as long, needs more blocks than the old one has.
{ printf 'serial = 4242\nfirmware.0000 ='; for _ in $(seq 1 2000); do printf ' A5'; done; echo; } >"$DISK/old.sim"
for name in temp inplace; do cp "$DISK/old.sim" "$DISK/$name.sim"; done
ln "$DISK/inplace.sim" "$DISK/twin.sim"
dd if=/dev/zero of="$DISK/fill" bs=4096 2>/dev/null
for name in temp inplace; do
  run --simulator="$DISK/$name.sim" --lang en --yes defaults
  expect_rc 3 "full disk, $name"
  expect_err_has "No space left on device" "full disk, $name"
  cmp -s "$DISK/$name.sim" "$DISK/old.sim" || fail "full disk, $name: the old state file is damaged: $(head -c 200 "$DISK/$name.sim")"
done
cmp -s "$DISK/twin.sim" "$DISK/old.sim" || fail "full disk: the second name lost the state file"
ls -A "$DISK" | grep -q '\.tmp$' && fail "full disk: a temporary file was left: $(ls -A "$DISK")"

# Room again: the same runs save.
rm "$DISK/fill"
for name in temp inplace; do
  run --simulator="$DISK/$name.sim" --lang en --yes defaults
  expect_rc 0 "room again, $name"
  grep -qx 'serial = 4242' "$DISK/$name.sim" || fail "room again, $name: not saved"
done

# A read-only file system: its own reason, not "Permission denied".
cp "$DISK/temp.sim" "$DISK/readonly.sim"
mount -o remount,ro "$DISK"
run --simulator="$DISK/readonly.sim" --lang en read "$DISK/car.ZMT"
mount -o remount,rw "$DISK"
expect_rc 3 "read-only file system"
expect_err_has "Unable to write to $DISK/car.ZMT" "read-only file system"
expect_err_has "Read-only file system" "read-only file system"
grep -q "Permission denied" <<<"$ERR" && fail "read-only file system reported as 'Permission denied': $ERR"
finish
