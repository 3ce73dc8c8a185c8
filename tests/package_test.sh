#!/usr/bin/env bash
# CPack's Debian package of a build: named pivra_<version>_<arch>.deb, installed
# with dpkg into a temporary root of its own, after which pivra runs from PATH
# and its manual page renders. With CI=true, as root, and no pivra installed
# yet, it is also installed for real, run, and removed again.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

arch=$(dpkg --print-architecture)
(umask 022 && cpack --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/out/pivra_${version}_${arch}.deb
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(cd "$work/out" && ls)"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = pivra ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "package architecture $(field Architecture)"
grep -q '^libc6 ' <<<"$(field Depends)" || fail "the package does not depend on libc6"
contents=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
[ "$contents" = "$(printf './usr/%s\n' bin/pivra bin/pivra-check share/doc/pivra/changelog.gz \
  share/doc/pivra/copyright share/man/man1/pivra-check.1.gz share/man/man1/pivra.1.gz)" ] ||
  fail "the package holds more or less than pivra, pivra-check, their pages, licence and changelog:"$'\n'"$contents"

# Debian's own checks: no error or warning from lintian, none from mandoc on the pages.
findings=$(lintian --pedantic --display-info "$deb" 2>&1) || fail "lintian failed: $findings"
if grep -E '^[EW]: ' <<<"$findings" >&2; then fail "lintian finds errors or warnings"; fi
echo "lintian: ${findings:-nothing to say}"
mandoc -Tlint "$build/pivra.1" "$build/pivra-check.1" >&2 || fail "mandoc -Tlint finds fault with a page"

# A root of its own, with an empty dpkg database: libc6 is the host's, so the
# dependency is not checked there.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
touch "$root/var/lib/dpkg/status"
force=--force-depends
[ "$(id -u)" -eq 0 ] || force+=,not-root
dpkg --root="$root" "$force" --install "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log" >&2; fail "dpkg --install into $root failed"; }
[ "$(dpkg-query --root="$root" --show --showformat='${Status} ${Version}' pivra)" = \
  "install ok installed $version" ] || fail "dpkg does not list pivra $version as installed"
check_manual_page "$root/usr/share/man/man1/pivra.1.gz" "$version"
check_page_renders "$root/usr/share/man/man1/pivra-check.1.gz" "$version"
PATH="$root/usr/bin:$PATH" check_one_run "$root/usr/bin/pivra"
echo "PASS: $(basename "$deb") installed into a temporary root and run from PATH"

if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] &&
  ! dpkg-query --show --showformat='${Status}' pivra 2>/dev/null | grep -q installed; then
  trap 'dpkg --purge pivra >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  dpkg --install "$deb" >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg --install $deb failed"; }
  hash -r
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin check_one_run /usr/bin/pivra
  [ "$(man --where pivra)" = /usr/share/man/man1/pivra.1.gz ] ||
    fail "man does not find the installed page"
  dpkg --purge pivra >/dev/null
  echo "PASS: $(basename "$deb") installed on this system, run from PATH and removed"
fi
