#!/usr/bin/env bash
# Checks the README's set-up promise before a release: on a fresh minimal Debian
# (debootstrap --variant=minbase, with the security and updates lists a real
# machine has) holding only git and a clone of HEAD, scripts/run.sh must write a
# file and scripts/test.sh must pass. Prints each command's exit status and time.
# Needs root and the network; each suite's bootstrap tarball is cached in build/,
# the root itself is made anew each time in build/fresh-root. Not part of the
# test command.
#   scripts/fresh-root-check.sh [--suite bookworm|trixie] [MIRROR [SECURITY_MIRROR]]
# The mirrors default to those of this machine's own apt sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)  # as findmnt names mounts: no links
cd "$root"
suite=bookworm
if [ "${1:-}" = --suite ]; then
  suite=${2:?usage: fresh-root-check.sh [--suite bookworm|trixie] [MIRROR [SECURITY_MIRROR]]}
  shift 2
fi
mirror=${1:-$(scripts/apt-mirror.sh)}
security=${2:-$(scripts/apt-mirror.sh security)}
target=$root/build/fresh-root
cache=$root/build/fresh-root-cache/$suite-minbase.tgz

[ "$(id -u)" = 0 ] || { echo "fresh-root-check.sh needs root (debootstrap, namespaces, mounts)" >&2; exit 2; }
scripts/ensure-packages.sh debootstrap git

# The root holds binds of the host's /dev and /sys (and, from older runs, /proc),
# inside a bind of the root onto itself: they must be gone before anything below
# it is deleted, or the host's own would go with it.
unmount() {
  local fs
  for fs in dev sys proc ''; do
    if mountpoint -q "$target/$fs"; then umount -R "$target/$fs" || umount -Rl "$target/$fs"; fi
  done
}
remove_root() {
  local fs
  unmount
  for fs in dev sys proc ''; do
    if mountpoint -q "$target/$fs"; then
      echo "$target/$fs is still mounted: not deleting the root" >&2
      exit 1
    fi
  done
  rm -rf --one-file-system "$target"
}
remove_root
trap unmount EXIT
if [ ! -f "$cache" ]; then
  mkdir -p "$(dirname "$cache")"
  debootstrap --variant=minbase --make-tarball="$cache.part" "$suite" "$target" "$mirror" >/dev/null
  mv "$cache.part" "$cache"
  remove_root
fi
debootstrap --variant=minbase --unpack-tarball="$cache" "$suite" "$target" "$mirror" >/dev/null

cat >"$target/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb $security $suite-security main
EOF
cp /etc/resolv.conf "$target/etc/resolv.conf"
# No service starts inside the root.
printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d"
chmod +x "$target/usr/sbin/policy-rc.d"
# A machine's / is a mount point, which a test's own mount namespace needs; and
# private, so that nothing mounted in the root shows on the host.
mount --bind "$target" "$target"
mount --make-private "$target"
for fs in sys dev; do
  mount --rbind "/$fs" "$target/$fs"
  mount --make-rslave "$target/$fs"
done

# Not a chroot: a chrooted process may make no user namespace, which the 32-bit
# Windows suite needs where it runs under qemu. The root becomes / of a mount
# namespace of its own instead, with a fresh /proc of its own PID namespace (with
# the host's, Wine looks for ntdll.so in the wrong place).
inside() {
  # shellcheck disable=SC2016 # expanded by the inner bash
  env -i HOME=/root TERM=dumb LANG=C.UTF-8 PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    unshare --mount --pid --fork --kill-child bash -c \
    'cd "$1" && mount -t proc proc proc && pivot_root . . && umount -l . && cd / && exec bash -c "$2"' \
    inside "$target" "$1"
}
inside 'apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null'
git clone -q "$root" "$target/root/pivra"
git -C "$target/root/pivra" log -1 --format='HEAD %h %s'

report=()
for command in 'mkdir -p /root/run && cd /root/run && /root/pivra/scripts/run.sh' \
  'cd /root/pivra && scripts/test.sh'; do
  echo "== $command"
  started=$SECONDS
  status=0
  inside "$command" || status=$?
  report+=("status $status in $((SECONDS - started)) s: $command")
done
echo "== written: $(ls "$target/root/run")"
printf '%s\n' "${report[@]}"
# Any failure fails the check, so that it can stand before a release.
! grep -qv '^status 0 ' < <(printf '%s\n' "${report[@]}")
