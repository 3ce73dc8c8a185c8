#!/usr/bin/env bash
# pivra-check.exe under Wine says what the Linux pivra-check says, byte for byte:
#   pivra_check_exe_test.sh LINUX_PIVRA_CHECK LINUX_PIVRA_SEEDED PIVRA_CHECK_EXE
# On files of the Linux pivra-seeded and broken copies of one: the same lines and
# exit status when checking, and the same fairness report, p-values and picture;
# a wildcard left to the program is expanded as a shell would, names read from
# a list give the same report, and a folder or a pattern matching nothing the
# same message.
# Exits 77 (skipped) when the Linux build is not there to compare with.
set -uo pipefail
export LC_ALL=C

linux_check=$1
linux_seeded=$2
exe=$3
WINE=${WINE:-wine}

for tool in "$linux_check" "$linux_seeded"; do
  if [ -z "$tool" ] || [ ! -x "$tool" ]; then
    echo "SKIP: no Linux build at '$tool'; build the ci preset first"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pivra-check-exe-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# pivra-seeded pins the file's name, so each run gets a directory of its own.
for seed in $(seq 60); do
  mkdir run && (cd run && exec "$linux_seeded" "$seed") && mv run/* "seed$seed" && rmdir run ||
    exit 1
done
head -c 1000 seed1 >short
tr -d '\r' <seed2 >unix

failed=0
# Runs both on the same arguments; OUT stands for the picture each writes.
same_on() {
  "$linux_check" "${@//OUT/linux.svg}" >linux.out 2>/dev/null
  local linux_status=$?
  "$WINE" "$exe" "${@//OUT/windows.svg}" 2>/dev/null | tr -d '\r' >windows.out
  local windows_status=${PIPESTATUS[0]}
  if [ "$linux_status" != "$windows_status" ] || ! cmp -s linux.out windows.out; then
    echo "FAIL: pivra-check $*: exit status $linux_status on Linux, $windows_status on Windows"
    diff linux.out windows.out
    failed=1
  else
    echo "pivra-check $1 ...: both exit $linux_status with the same report"
  fi
}

same_on seed1 short unix missing
same_on --fairness --svg OUT seed*
if ! cmp -s linux.svg windows.svg; then
  echo "FAIL: the two pictures differ"
  failed=1
fi
grep -q '^Verdict: no test flags' linux.out || { echo "FAIL: real files flagged"; failed=1; }
# As cmd.exe would pass it: the C runtime expands the wildcard.
"$WINE" "$exe" --fairness 'seed*' 2>&1 | tr -d '\r' | cmp -s - linux.out ||
  { echo "FAIL: pivra-check.exe does not expand 'seed*' into the same files"; failed=1; }
printf '%s\0' seed* | "$WINE" "$exe" --fairness --files0-from=- 2>&1 | tr -d '\r' |
  cmp -s - linux.out || { echo "FAIL: names from standard input give another report"; failed=1; }
# A folder, and a pattern no file matches, get the words Linux uses.
mkdir folder
for name in folder 'nothing*'; do
  linux_says=$("$linux_check" "$name" 2>&1 >/dev/null)
  windows_says=$("$WINE" "$exe" "$name" 2>&1 >/dev/null | tr -d '\r')
  [ "$linux_says" = "$windows_says" ] ||
    { echo "FAIL: for $name Linux says '$linux_says', Windows '$windows_says'"; failed=1; }
done
exit "$failed"
