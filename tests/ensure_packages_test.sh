#!/usr/bin/env bash
# scripts/ensure-packages.sh against stand-in apt-get, dpkg-query and id first on
# PATH: a failing update does not stop an install that succeeds, a failed install
# names its packages and exits non-zero, and nothing missing never calls apt.
# Usage: ensure_packages_test.sh SOURCE_DIR
set -euo pipefail
ensure=$1/scripts/ensure-packages.sh
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# Installed: what $work/installed lists. apt-get logs its calls, and fails its
# update or install when $work/fail names that step.
cat >"$work/bin/dpkg-query" <<STUB
#!/bin/sh
package=\$(echo "\$@" | awk '{print \$NF}')
grep -qx "\$package" "$work/installed" && printf 'install ok installed'
STUB
cat >"$work/bin/apt-get" <<STUB
#!/bin/sh
echo "apt-get \$*" >>"$work/calls"
case "\$*" in
  *update*) grep -qx update "$work/fail" || exit 0
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size"; exit 100 ;;
  *install*) grep -qx install "$work/fail" || exit 0
    echo "E: Unable to locate package \$(echo "\$@" | awk '{print \$NF}')"; exit 100 ;;
esac
STUB
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin"/*

# Runs the script for PACKAGES with FAILING steps; sets status and output.
ensure() {
  local failing=$1
  shift
  tr " " "\n" <<<"$failing" >"$work/fail"
  : >"$work/calls"
  status=0
  output=$(PATH="$work/bin:$PATH" PIVRA_APT_RETRY_PAUSE=0 bash "$ensure" "$@" 2>&1) || status=$?
}
echo present >"$work/installed"

ensure update present wanted
[ "$status" = 0 ] || fail "a failed update stopped an install that works ($status): $output"
[ "$(grep -c update "$work/calls")" = 3 ] || fail "update was not tried 3 times"
grep -q 'install .*wanted' "$work/calls" || fail "wanted was not installed"

ensure "update install" present wanted
[ "$status" != 0 ] || fail "a failed install exited 0"
grep -q 'cannot install wanted' <<<"$output" || fail "no line names wanted: $output"
grep -q 'Unable to locate package wanted' <<<"$output" || fail "apt's reason is missing: $output"
grep -q 'package index' <<<"$output" || fail "the index is not named as the cause: $output"

ensure "" present
[ "$status" = 0 ] || fail "exited $status with nothing missing: $output"
[ ! -s "$work/calls" ] || fail "apt-get called with nothing missing"
echo "PASS: broken index, failed install, nothing missing"
