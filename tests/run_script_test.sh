#!/usr/bin/env bash
# scripts/run.sh on a Linux without Debian's package tools: PATH holds every
# program of this machine but apt's and dpkg's. With the build tools there it
# builds pivra and writes a valid file; with cmake gone too it names what is
# missing in one line and exits non-zero.
# Usage: run_script_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/tree" "$work/run"
for program in /usr/local/bin/* /usr/bin/* /bin/*; do
  case ${program##*/} in apt* | dpkg*) continue ;; esac
  [ -e "$work/bin/${program##*/}" ] || ln -s "$program" "$work/bin/"
done
(cd "$source_dir" && git ls-files -z | xargs -0 cp --parents -t "$work/tree")

status=0
output=$(cd "$work/run" && PATH=$work/bin bash "$work/tree/scripts/run.sh" 2>&1) || status=$?
[ "$status" = 0 ] || fail "run.sh without apt and dpkg exited $status: $output"
file=$(cd "$work/run" && ls)
grep -qx "wrote $file" <<<"$output" || fail "run.sh does not name the file it wrote: $output"
"$work/tree/build/release/pivra-check" -q "$work/run/$file" || fail "the file is not valid"

rm "$work/bin/cmake"
status=0
output=$(PATH=$work/bin bash "$work/tree/scripts/run.sh" 2>&1) || status=$?
[ "$status" != 0 ] || fail "run.sh without cmake and without apt exited 0"
[ "$output" = "cannot build pivra: install cmake and run again (no apt-get here)" ] ||
  fail "run.sh does not name the missing tool in one line: $output"
echo "PASS: built and ran without apt and dpkg; a missing cmake named"
