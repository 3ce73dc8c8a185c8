#!/usr/bin/env bash
# The release's archives for any Linux: what they hold, that their programs need
# no shared library, that the aarch64 ones run under qemu-aarch64, and that the
# x86-64 ones run on an old system: the Debian 11 root of old_root.sh (glibc
# 2.31). Where that root cannot be had or used (no root, no network, a chroot
# whose / is no mount point) it says SKIP and why, and ends with status 77.
# Usage: linux_archive_test.sh DIST_DIR VERSION SOURCE_DIR
set -euo pipefail
dist=$1 version=$2 source_dir=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tool_checks.sh"
source "$here/old_root.sh"
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
old_root_make "$source_dir"
echo "Debian $(cat "$old_root/etc/debian_version"), $(chroot "$old_root" ldd --version | sed -n 1p)"

# The full disk: a tmpfs in the run's own mount namespace.
inside=/tmp/pivra-archive-test
rm -rf --one-file-system "${old_root:?}$inside"
mkdir -p "$old_root$inside/run" "$old_root$inside/full"
tar -xzf "$dist/pivra-$version-linux-x86_64.tar.gz" -C "$old_root$inside"
bin=$inside/pivra-$version-linux-x86_64/bin
status=0
old_root_run "mount -t tmpfs -o size=64k tmpfs $inside/full || exit 99
  head -c 1M /dev/zero >$inside/full/filler 2>/dev/null
  cd $inside/run && $bin/pivra && $bin/pivra-check -- * && cd $inside/full && exec $bin/pivra" \
  >"$work/out" 2>"$work/err" || status=$?
rm -rf --one-file-system "${old_root:?}$inside"
grep -qE '^pivra-.*\.TXT: OK$' "$work/out" || fail "no valid file on Debian 11: $(cat "$work/out" "$work/err")"
sed 's/ at [0-9A-F]\{8\}\./ at OFFSET./' "$work/err" >"$work/report"
printf 'Exception EInOutError in module pivra at OFFSET.\r\nI/O error 28.\r\n\r\n' | cmp -s - "$work/report" ||
  fail "not the full-disk report: $(cat "$work/err")"
[ "$status" = 1 ] || fail "the full disk's run exited $status, not 1"
echo "PASS: both archives; on Debian 11 the x86-64 pivra writes a valid file and reports a full disk"
