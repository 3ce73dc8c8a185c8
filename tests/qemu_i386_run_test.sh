#!/usr/bin/env bash
# scripts/qemu-i386-run.sh registers its emulator in a binfmt_misc of the
# command's own: the command sees the entry, its exit status comes back, what it
# left running dies with it, and the machine's binfmt_misc is as it was.
# Usage: qemu_i386_run_test.sh SOURCE_DIR
set -euo pipefail
run=$1/scripts/qemu-i386-run.sh
binfmt=/proc/sys/fs/binfmt_misc
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
machine() { ls -A "$binfmt"; grep -c binfmt_misc /proc/mounts || true; }

before=$(machine)
# The command takes this lock, and what it leaves running holds it until it dies.
lock=$(mktemp)
trap 'rm -f "$lock"' EXIT
# Any file serves as the emulator here: the entry is only looked at.
status=0
says=$("$run" /bin/true sh -c "exec 9>>$lock; flock 9; sleep 300 & cat $binfmt/qemu-i386; exit 7" 2>&1) ||
  status=$?
if [ "$status" = 125 ]; then
  echo "SKIP: ${says##*$'\n'}"
  exit 77
fi
[ "$status" = 7 ] || fail "the command's exit status 7 came back as $status: $says"
grep -qx 'interpreter /usr/bin/true\|interpreter /bin/true' <<<"$says" ||
  fail "the command saw no qemu-i386 entry: $says"
grep -qx 'flags: F' <<<"$says" || fail "the entry does not open its emulator at once: $says"
flock -n "$lock" true || fail "a process the command left running outlived it"
[ "$(machine)" = "$before" ] || fail "the machine's binfmt_misc changed: $(machine)"
echo "PASS: a private qemu-i386 entry, the status back, nothing left behind"
