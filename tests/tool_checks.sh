# shellcheck shell=bash
# Checks shared by the tests of installed and released programs; sourced, not run.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The manual page renders with no groff warning of any kind, with every section in place and
# the build's version in its footer.
check_manual_page() {
  local page=$1 version=$2 rendered warnings
  [ -f "$page" ] || fail "no manual page at $page"
  warnings=$(mktemp)
  rendered=$(MANWIDTH=80 man --warnings=w -l "$page" 2>"$warnings")
  if [ -s "$warnings" ]; then
    cat "$warnings" >&2
    rm -f "$warnings"
    fail "man -l warns about $page"
  fi
  rm -f "$warnings"
  local section
  for section in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS" ENVIRONMENT SECURITY; do
    grep -qx "$section" <<<"$rendered" || fail "the manual page has no $section section"
  done
  grep -q "^pivra $version  .*PIVRA(1)\$" <<<"$rendered" ||
    fail "the manual page's footer does not name pivra $version"
  # groff may wrap the sentence anywhere: read the page as one line of words.
  tr -s ' \n' '  ' <<<"$rendered" | grep -q -- "--help and no --version" ||
    fail "the manual page does not say that there is no --help or --version"
  if grep -n '.\{81,\}' <<<"$rendered" >&2; then fail "lines wider than 80 columns"; fi
}

# Another page renders with no groff warning, the build's version in its footer.
check_page_renders() {
  local page=$1 version=$2 warnings
  [ -f "$page" ] || fail "no manual page at $page"
  warnings=$(MANWIDTH=80 man --warnings=w -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man -l warns about $page:"$'\n'"$warnings"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^pivra $version  " ||
    fail "the footer of $page does not name pivra $version"
}

# `pivra` found on PATH is EXPECTED; one run in an empty directory, given an
# argument that it ignores, prints nothing, exits 0 and writes one file, which the
# pivra-check beside it calls valid (its size among the rest).
check_one_run() {
  local expected=$1 found dir status=0 output files checked
  found=$(command -v pivra) || fail "pivra is not on PATH"
  [ "$found" = "$expected" ] || fail "pivra on PATH is $found, not $expected"
  dir=$(mktemp -d)
  (cd "$dir" && exec pivra --version >"$dir.out" 2>&1) || status=$?
  output=$(cat "$dir.out")
  files=$(cd "$dir" && ls)
  checked=$(cd "$dir" && { pivra-check -- * 2>&1 || true; })
  rm -rf "$dir" "$dir.out"
  [ "$status" -eq 0 ] || fail "pivra exited $status: $output"
  [ -z "$output" ] || fail "pivra printed: $output"
  grep -qxE 'pivra-[0-9]{4}(-[0-9]{2}){5}[0-9]{1,10}\.TXT' <<<"$files" ||
    fail "pivra wrote not one draw file but: $files"
  [ "$checked" = "$files: OK" ] || fail "pivra-check on PATH says: $checked"
}
