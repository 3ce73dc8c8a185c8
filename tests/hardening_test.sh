#!/usr/bin/env bash
# The Release executable is hardened: a position-independent executable, its
# relocations bound at load and then made read-only (full RELRO), stack canaries,
# and fortified libc calls.
# Usage: hardening_test.sh PIVRA
set -euo pipefail
pivra=$1
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
header=$(readelf --file-header --wide "$pivra")
segments=$(readelf --segments --wide "$pivra")
dynamic=$(readelf --dynamic --wide "$pivra")
symbols=$(readelf --dyn-syms --wide "$pivra")

grep -q 'Type: *DYN' <<<"$header" || fail "not a position-independent executable"
grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "no PIE flag"
grep -q 'GNU_RELRO' <<<"$segments" || fail "no RELRO segment"
grep -qE 'BIND_NOW|FLAGS.*NOW' <<<"$dynamic" || fail "relocations are bound lazily, not at load"
grep -q ' __stack_chk_fail' <<<"$symbols" || fail "no stack protector"
grep -qE ' __[a-z]+_chk(@|$| )' <<<"$symbols" || fail "no fortified libc call: built without -D_FORTIFY_SOURCE, or nothing left to fortify"
echo "PASS: PIE, full RELRO, stack protector and fortified calls in $pivra"
