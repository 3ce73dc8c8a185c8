#!/usr/bin/env bash
# The release's archives for any Linux: what they hold, that their programs need
# no shared library, that the aarch64 ones run under qemu-aarch64, and that the
# x86-64 ones run on an old system: a Debian 11 root (glibc 2.31), debootstrapped
# once per machine into SOURCE_DIR/build/ from this machine's Debian mirror
# (PIVRA_OLD_MIRROR names another, such as an archive mirror once bullseye has
# left it). Where that root cannot be had (no root, no network) it says SKIP and
# why, and ends with status 77.
# Usage: linux_archive_test.sh DIST_DIR VERSION SOURCE_DIR
set -euo pipefail
dist=$1 version=$2 source_dir=$3
source "$(cd "$(dirname "$0")" && pwd)/tool_checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for arch in x86_64 aarch64; do
  top=pivra-$version-linux-$arch
  members=$(tar -tzf "$dist/$top.tar.gz" | sed "s|^$top/||" | tr '\n' ' ')
  [ "$members" = " LICENSE README bin/ bin/pivra bin/pivra-check share/ share/man/ share/man/man1/ \
share/man/man1/pivra-check.1.gz share/man/man1/pivra.1.gz " ] || fail "$top.tar.gz holds: $members"
  tar -xzf "$dist/$top.tar.gz" -C "$work"
  if readelf -lWd "$work/$top"/bin/* | grep -E 'INTERP|NEEDED'; then fail "$top needs a library"; fi
done
aarch64=$work/pivra-$version-linux-aarch64/bin
verdict=$(cd "$work" && qemu-aarch64 "$aarch64/pivra" && qemu-aarch64 "$aarch64/pivra-check" -- *.TXT)
[[ $verdict == *": OK" ]] || fail "the aarch64 archive's programs under qemu-aarch64: $verdict"

skip() {
  echo "SKIP: the x86-64 archive in a Debian 11 root: $*"
  exit 77
}
[ "$(id -u)" = 0 ] || skip "needs root (debootstrap, chroot, mounts)"
old_root=$source_dir/build/old-root/bullseye
if [ ! -x "$old_root/bin/sh" ]; then
  command -v debootstrap >/dev/null || skip "debootstrap is not installed"
  mirror=${PIVRA_OLD_MIRROR:-$("$source_dir/scripts/apt-mirror.sh")}
  # What a broken try left: debootstrap mounts /proc and /sys inside it.
  findmnt -rn -o TARGET | { grep "^$old_root.part/" || true; } | sort -r |
    xargs -r -n 1 umount -l
  rm -rf --one-file-system "$old_root.part"
  debootstrap --variant=minbase bullseye "$old_root.part" "$mirror" >"$work/log" 2>&1 ||
    skip "no bullseye from $mirror (no network, or it has left that mirror: PIVRA_OLD_MIRROR" \
      "names another): $(tail -n 1 "$work/log")"
  mv "$old_root.part" "$old_root"
fi
echo "Debian $(cat "$old_root/etc/debian_version"), $(chroot "$old_root" ldd --version | sed -n 1p)"

# In a mount namespace of its own, so the run's /proc and full tmpfs end with it.
inside=/tmp/pivra-archive-test
rm -rf --one-file-system "${old_root:?}$inside"
mkdir -p "$old_root$inside/run" "$old_root$inside/full"
tar -xzf "$dist/pivra-$version-linux-x86_64.tar.gz" -C "$old_root$inside"
bin=$inside/pivra-$version-linux-x86_64/bin
status=0
# shellcheck disable=SC2016 # the inner script expands its own arguments
unshare --mount --propagation private bash -c '
  mount -t proc proc "$1/proc" && mount -t tmpfs -o size=64k tmpfs "$1$2/full" || exit 99
  head -c 1M /dev/zero >"$1$2/full/filler" 2>/dev/null
  chroot "$1" sh -c "cd $2/run && $3/pivra && $3/pivra-check -- * && cd $2/full && exec $3/pivra"
' - "$old_root" "$inside" "$bin" >"$work/out" 2>"$work/err" || status=$?
rm -rf --one-file-system "${old_root:?}$inside"
grep -qE '^pivra-.*\.TXT: OK$' "$work/out" || fail "no valid file on Debian 11: $(cat "$work/out" "$work/err")"
sed 's/ at [0-9A-F]\{8\}\./ at OFFSET./' "$work/err" >"$work/report"
printf 'Exception EInOutError in module pivra at OFFSET.\r\nI/O error 28.\r\n\r\n' | cmp -s - "$work/report" ||
  fail "not the full-disk report: $(cat "$work/err")"
[ "$status" = 1 ] || fail "the full disk's run exited $status, not 1"
echo "PASS: both archives; on Debian 11 the x86-64 pivra writes a valid file and reports a full disk"
