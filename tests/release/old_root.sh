# shellcheck shell=bash
# The oldest Linux the release promises, Debian 11 (bullseye: glibc 2.31, CMake
# 3.18, g++ 10), for the tests that run something there; sourced, not run.
# old_root_make SOURCE_DIR sets old_root to its root, debootstrapped once per
# machine into SOURCE_DIR/build/old-root/ from this machine's Debian mirror
# (PIVRA_OLD_MIRROR names another, such as an archive mirror once bullseye has
# left it); old_root_run runs a command in it. Where no root can be had or used
# here, they call the test's skip function with the reason.

old_root_make() {
  local says mirror
  [ "$(id -u)" = 0 ] || skip "needs root (debootstrap, chroot, mounts)"
  # Each run has a mount namespace of its own, whose mounts must not reach this
  # system: that needs / to be a mount point, which in a package builder's
  # chroot it is not.
  says=$(unshare --mount --propagation private true 2>&1) ||
    skip "no private mount namespace here (is / a mount point?): ${says##*$'\n'}"
  old_root=$1/build/old-root/bullseye
  [ ! -x "$old_root/bin/sh" ] || return 0
  command -v debootstrap >/dev/null || skip "debootstrap is not installed"
  mirror=${PIVRA_OLD_MIRROR:-$("$1/scripts/apt-mirror.sh")}
  # What a broken try left: debootstrap mounts /proc and /sys inside it.
  findmnt -rn -o TARGET | { grep "^$old_root.part/" || true; } | sort -r |
    xargs -r -n 1 umount -l
  rm -rf --one-file-system "$old_root.part"
  says=$(debootstrap --variant=minbase bullseye "$old_root.part" "$mirror" 2>&1) ||
    skip "no bullseye from $mirror (no network, or it has left that mirror: PIVRA_OLD_MIRROR" \
      "names another): ${says##*$'\n'}"
  mv "$old_root.part" "$old_root"
}

# Runs the shell command $1 in the root as root, in a clean environment, with a
# /proc and a mount namespace of its own: whatever it mounts ends with it.
old_root_run() {
  # shellcheck disable=SC2016  # $1 is the inner shell's
  unshare --mount --propagation private chroot "$old_root" \
    env -i HOME=/root LANG=C PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    sh -c 'mount -t proc proc /proc && eval "$1"' - "$1"
}
