#!/usr/bin/env bash
# `cmake --install` of a build: pivra lands in bin/ and its manual page in
# share/man/man1/, the page renders cleanly with `man -l`, and the installed
# program runs from PATH.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
installed=$(cd "$work/prefix" && find . ! -type d | sort)
[ "$installed" = $'./bin/pivra\n./bin/pivra-check\n./share/man/man1/pivra-check.1\n./share/man/man1/pivra.1' ] ||
  fail "installed files are not pivra and pivra-check in bin/ with their pages:"$'\n'"$installed"

check_manual_page "$work/prefix/share/man/man1/pivra.1" "$version"
check_page_renders "$work/prefix/share/man/man1/pivra-check.1" "$version"
PATH="$work/prefix/bin:$PATH" check_one_run "$work/prefix/bin/pivra"
echo "PASS: installed under a prefix, manual page and one run checked"
