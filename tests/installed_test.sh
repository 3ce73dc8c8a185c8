#!/usr/bin/env bash
# pivra as a user installs it, in one of two ways, each into a temporary root:
#   install  `cmake --install` of a build under a prefix;
#   package  CPack's Debian package pivra_<version>_<arch>.deb, which lintian
#            --pedantic and mandoc -Tlint must pass, installed with dpkg. With
#            CI=true, as root, and no pivra installed yet, it is also installed
#            on this system for real, run, and removed again.
# Either way the programs, their pages, licence and changelog land, and nothing
# else; the pages render cleanly; and the installed pivra runs from PATH.
# Usage: installed_test.sh install|package BUILD_DIR VERSION
set -euo pipefail
mode=$1
build=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
expected=(bin/pivra bin/pivra-check share/doc/pivra/changelog.gz share/doc/pivra/copyright
  share/man/man1/pivra-check.1.gz share/man/man1/pivra.1.gz)

# The installed tree under PREFIX holds what is expected, its pages render and
# its pivra runs from PATH.
check_installed() {
  local prefix=$1 files
  files=$(cd "$prefix" && find . ! -type d | sort)
  [ "$files" = "$(printf './%s\n' "${expected[@]}")" ] ||
    fail "installed are more or less than pivra, pivra-check, their pages, licence and" \
      "changelog:"$'\n'"$files"
  check_manual_page "$prefix/share/man/man1/pivra.1.gz" "$version"
  check_page_renders "$prefix/share/man/man1/pivra-check.1.gz" "$version"
  PATH="$prefix/bin:$PATH" check_one_run "$prefix/bin/pivra"
}

if [ "$mode" = install ]; then
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  check_installed "$work/prefix"
  echo "PASS: installed under a prefix, manual pages and one run checked"
  exit 0
fi

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
rm -rf "${root:?}/var"
check_installed "$root/usr"
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
