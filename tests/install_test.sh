#!/usr/bin/env bash
# `cmake --install` of a build: pivra lands in bin/, its manual page in
# share/man/man1/ and its licence and changelog in share/doc/pivra/; the page renders cleanly with `man -l`, and the installed
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
[ "$installed" = "$(printf './%s\n' bin/pivra bin/pivra-check share/doc/pivra/changelog.gz \
  share/doc/pivra/copyright share/man/man1/pivra-check.1.gz share/man/man1/pivra.1.gz)" ] ||
  fail "installed files are not pivra, pivra-check, their pages, licence and changelog:"$'\n'"$installed"

check_manual_page "$work/prefix/share/man/man1/pivra.1.gz" "$version"
check_page_renders "$work/prefix/share/man/man1/pivra-check.1.gz" "$version"
PATH="$work/prefix/bin:$PATH" check_one_run "$work/prefix/bin/pivra"
echo "PASS: installed under a prefix, manual page and one run checked"
