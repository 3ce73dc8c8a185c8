#!/usr/bin/env bash
# Runs COMMAND with every 32-bit x86 program it starts run by QEMU_I386, for a
# kernel that runs no 32-bit code itself:
#   scripts/qemu-i386-run.sh QEMU_I386 COMMAND [ARGUMENT...]
# The binfmt_misc entry that does it lives in a private binfmt_misc mount, in
# user, mount and PID namespaces of the command's own (Linux 6.7 or newer): the
# machine's binfmt_misc is left as it is, and every process the command leaves
# behind (a wineserver) dies with it. Exits 125, the reason on standard error,
# where this cannot be set up.
set -euo pipefail
usage="usage: qemu-i386-run.sh QEMU_I386 COMMAND [ARGUMENT...]"

if [ "${1:-}" != --inside ]; then
  [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
  qemu=$(realpath -e "$1") || { echo "qemu-i386-run.sh: no $1" >&2; exit 125; }
  shift
  if ! says=$(unshare --user --map-root-user true 2>&1); then
    echo "qemu-i386-run.sh: cannot make a user namespace here: $says" >&2
    exit 125
  fi
  status=0
  unshare --user --map-root-user --mount --pid --fork --kill-child --mount-proc \
    "$0" --inside "$qemu" "$@" || status=$?
  exit "$status"
fi

qemu=$2
shift 2
binfmt=/proc/sys/fs/binfmt_misc
if ! says=$(mount -t binfmt_misc binfmt_misc "$binfmt" 2>&1); then
  echo "qemu-i386-run.sh: cannot mount binfmt_misc privately (needs Linux 6.7 or newer): $says" >&2
  exit 125
fi
# An i386 ELF executable or shared object, as qemu's own binfmt entry matches it;
# F opens the emulator now, so that it serves wherever the command looks.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" >"$binfmt/register"
# A child, not exec: the first process of a PID namespace must reap the orphans
# (Wine's server, for one), which bash does.
status=0
"$@" || status=$?
exit "$status"
