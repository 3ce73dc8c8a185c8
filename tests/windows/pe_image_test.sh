#!/usr/bin/env bash
# pivra.exe as Windows sees it before running it: a 32-bit console image that needs
# no DLL beyond the system's own (so no mingw runtime DLL beside it), and that
# reaches the system through the interfaces the program is built on; shipped as
# released: stripped, aware of terminal services, with its version and manifest.
#   pe_image_test.sh OBJDUMP PIVRA_EXE VERSION
set -uo pipefail
export LC_ALL=C
objdump=$1
exe=$2
version=$3

headers=$("$objdump" -p "$exe") || exit 1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not a 32-bit (PE32) image"
grep -Eq '^Subsystem[[:space:]]+00000003[[:space:]]' <<<"$headers" ||
  fail "not a console (CUI) program: its failure report would have no standard error"

# "DLL function" for every import.
imports=$(awk '/DLL Name:/ { dll = toupper($3) } /^\t[ 0-9a-f]+\t *[0-9]+  / { print dll, $NF }' \
  <<<"$headers")
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{ print toupper($3) }' | sort -u)
for dll in $dlls; do
  case $dll in
    KERNEL32.DLL | ADVAPI32.DLL | USER32.DLL | MSVCRT.DLL) ;;
    *) fail "imports $dll, which a bare Windows does not have" ;;
  esac
done

expected="ADVAPI32.DLL CryptAcquireContextA
ADVAPI32.DLL CryptGenRandom
ADVAPI32.DLL CryptReleaseContext
KERNEL32.DLL QueryPerformanceCounter
KERNEL32.DLL GetTickCount
KERNEL32.DLL GetLocalTime
KERNEL32.DLL CreateFileA
KERNEL32.DLL GetFileType
KERNEL32.DLL WriteFile
KERNEL32.DLL FlushFileBuffers
KERNEL32.DLL CloseHandle
KERNEL32.DLL GetLastError
KERNEL32.DLL GetStdHandle
KERNEL32.DLL GetModuleFileNameA
KERNEL32.DLL VirtualQuery
KERNEL32.DLL ExitProcess
USER32.DLL CharToOemA"
while read -r dll function; do
  grep -qx "$dll $function" <<<"$imports" || fail "does not import $function from $dll"
done <<<"$expected"

grep -q TERMINAL_SERVICE_AWARE <<<"$headers" || fail "not linked --tsaware"
"$objdump" -t "$exe" | grep -q 'no symbols' || fail "not stripped"
# The version resource's strings are UTF-16; the manifest is UTF-8.
strings -el "$exe" | grep -A1 -x FileVersion | grep -qx "$version" ||
  fail "no FileVersion $version in the version resource"
grep -aq 'level="asInvoker"' "$exe" || fail "no manifest asking to run asInvoker"

if [ "$failed" = 0 ]; then echo "PASS: PE32 console image importing only ${dlls//$'\n'/ }"; fi
exit "$failed"
