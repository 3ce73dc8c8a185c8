#!/usr/bin/env bash
# pivra.exe as Windows sees it before running it: a console image for its
# processor that needs no DLL beyond the system's own (so no mingw runtime DLL
# beside it), and that reaches the system through the interfaces the program is
# built on; shipped as released: stripped, aware of terminal services, with its
# version and a manifest for its processor.
#   pe_image_test.sh OBJDUMP PIVRA_EXE VERSION PROCESSOR
# PROCESSOR is i686 (a PE32 image for Intel 80386) or x86_64 (PE32+ for x86-64).
set -uo pipefail
export LC_ALL=C
objdump=$1
exe=$2
version=$3
case $4 in
  i686) format=pei-i386 magic='010b[[:space:]]+\(PE32\)' kind=PE32 manifest=x86 ;;
  x86_64) format=pei-x86-64 magic='020b[[:space:]]+\(PE32\+\)' kind=PE32+ manifest=amd64 ;;
  *)
    echo "unknown processor $4" >&2
    exit 2
    ;;
esac

headers=$("$objdump" -p "$exe") || exit 1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

grep -Eq "file format $format\$" <<<"$headers" || fail "not a $format image"
grep -Eq "^Magic[[:space:]]+$magic" <<<"$headers" || fail "not a $kind image"
grep -Eq '^Subsystem[[:space:]]+00000003[[:space:]]' <<<"$headers" ||
  fail "not a console (CUI) program: its failure report would have no standard error"

# "DLL function" for every import. Under each "DLL Name:" a heading names the
# columns, which differ between binutils releases: 2.40 has "vma:  Hint/Ord
# Member-Name Bound-To", later ones "vma:  Ordinal  Hint  Member-Name  Bound-To"
# (with "<none>" for the ordinal of a name); the name is read from the column
# so headed, up to the blank line that ends the DLL's list.
imports=$(awk '
  /DLL Name:/ { dll = toupper($3); column = 0; next }
  dll != "" && $1 == "vma:" { for (i = 2; i <= NF; i++) if ($i == "Member-Name") column = i; next }
  NF == 0 { column = 0 }
  column && NF >= column && $column != "<none>" { print dll, $column }' <<<"$headers")
[ -n "$imports" ] || fail "no imported name read from objdump -p: a layout this test does not know?"
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
grep -aq "processorArchitecture=\"$manifest\"" "$exe" || fail "the manifest is not for $manifest"

if [ "$failed" = 0 ]; then echo "PASS: $kind console image importing only ${dlls//$'\n'/ }"; fi
exit "$failed"
