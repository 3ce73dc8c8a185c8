#!/usr/bin/env bash
# scripts/release.sh in two clones of the committed tree that differ in path (one
# much longer), umask, time zone and locale: the two SHA256SUMS must be equal.
# Then what each Windows zip holds, and that its programs are the TESTED_EXE files
# given for it (win32 or win64).
# Usage: reproducible_test.sh SOURCE_DIR [win32=TESTED_EXE|win64=TESTED_EXE...]
set -euo pipefail
source_dir=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tool_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first=$work/a
second=$work/a-much-longer-path-to-a-second-clone/of/the/same/commit/pivra
git clone -q "$source_dir" "$first"
git clone -q "$source_dir" "$second"

release() {
  local clone=$1 mask=$2 zone=$3 locale=$4
  (cd "$clone" && umask "$mask" && TZ=$zone LC_ALL=$locale scripts/release.sh) \
    >"$clone.log" 2>&1 || { cat "$clone.log" >&2; fail "release.sh failed in $clone"; }
}
started=$SECONDS
release "$first" 022 UTC C
release "$second" 002 Pacific/Chatham C.UTF-8
echo "two release builds in $((SECONDS - started)) s"
if ! cmp -s "$first/dist/SHA256SUMS" "$second/dist/SHA256SUMS"; then
  diff "$first/dist/SHA256SUMS" "$second/dist/SHA256SUMS" >&2 || true
  fail "two release builds of one commit differ"
fi

# The packages, the zips and the changelog's top section name one version: a
# dated section's, or the unreleased one's with ~dev.
section=$(grep -m 1 '^## ' "$first/CHANGELOG.md")
version=$(awk '{print $2}' <<<"$section")
[[ $section == *"(unreleased)" ]] && version+="~dev"
[ "$(dpkg-deb --field "$first/dist/pivra_${version}_amd64.deb" Version 2>&1)" = "$version" ] ||
  fail "CHANGELOG.md's \"$section\" asks for a package of $version; dist/ holds: $(ls "$first/dist")"
dpkg-deb --fsys-tarfile "$first/dist/pivra_${version}_amd64.deb" |
  tar -xO ./usr/share/doc/pivra/changelog.gz | gunzip | sed -n 1p | grep -qF "pivra ($version) " ||
  fail "the package's Debian changelog does not start with pivra ($version)"
# Built from the working tree, the tested programs are the release's only when
# the tree is HEAD and they were linked with its time (scripts/windows-tests.sh).
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes: the tested programs are not compared with the zips'"
  set --
fi
for flavour in win32 win64; do
  zip=$first/dist/pivra-$version-$flavour.zip
  [ -f "$zip" ] || fail "no $(basename "$zip") for CHANGELOG.md's \"$section\""
  top=pivra-$version-$flavour
  [ "$(unzip -Z1 "$zip")" = "$(printf "$top/%s\n" "" pivra.exe pivra.html pivra-check.exe \
    pivra-check.html LICENSE.txt README.txt)" ] ||
    fail "the zip holds not one folder $top/ of the programs and their papers:"$'\n'"$(unzip -Z1 "$zip")"
  # Notepad shows plain ASCII with CR LF right, whatever its age.
  for text in LICENSE.txt README.txt; do
    lines=$(unzip -p "$zip" "$top/$text")
    if grep -qv $'\r$' <<<"$lines"; then fail "$flavour $text has a line not ended by CR LF"; fi
    if LC_ALL=C grep -q '[^[:print:][:space:]]' <<<"$lines"; then fail "$flavour $text is not ASCII"; fi
  done
  unzip -p "$zip" "$top/README.txt" | grep -q "$top\\\\pivra.exe" ||
    fail "the $flavour README.txt does not name its own folder $top"
  unzip -p "$zip" "$top/pivra-check.html" | grep -q '<a href="pivra.html"><b>pivra</b>(1)</a>' ||
    fail "$flavour pivra-check.html does not link to pivra.html"
  # A browser shows each page at a readable width, and each example as written.
  for page in pivra.html pivra-check.html; do
    html=$(unzip -p "$zip" "$top/$page")
    grep -q 'max-width' <<<"$html" || fail "$flavour $page has no style sheet of its own"
    awk '/<pre>/ { in_pre = 1 } /<\/pre>/ { in_pre = 0 } in_pre && /<br/ { exit 1 }' <<<"$html" ||
      fail "$flavour $page breaks a line inside an example"
  done
  # FLAVOUR=TESTED_EXE: the programs the Windows suites ran, the zip's own.
  for tested in "$@"; do
    [ "${tested%%=*}" = "$flavour" ] || continue
    tested=${tested#*=}
    [ -f "$tested" ] || fail "no $tested: build it first (scripts/windows-tests.sh builds both)"
    unzip -p "$zip" "$top/$(basename "$tested")" | cmp -s - "$tested" ||
      fail "the $flavour zip's $(basename "$tested") is not the one the Windows tests run"
  done
done

# The arm64 package says so, lintian has nothing to say of it, and its pivra writes
# under qemu-aarch64 a file that its own pivra-check and the amd64 one call valid.
arm64_deb=$first/dist/pivra_${version}_arm64.deb
[ "$(dpkg-deb --field "$arm64_deb" Architecture)" = arm64 ] ||
  fail "$(basename "$arm64_deb") is for $(dpkg-deb --field "$arm64_deb" Architecture)"
findings=$(lintian --pedantic --display-info "$arm64_deb" 2>&1) || fail "lintian failed: $findings"
if grep -E '^[A-Z]: ' <<<"$findings" >&2; then fail "lintian finds fault with the arm64 package"; fi
dpkg-deb -x "$arm64_deb" "$work/arm64"
dpkg-deb -x "$first/dist/pivra_${version}_amd64.deb" "$work/amd64"
mkdir "$work/run"
arm64=(qemu-aarch64 -L /usr/aarch64-linux-gnu)
(cd "$work/run" && "${arm64[@]}" "$work/arm64/usr/bin/pivra") ||
  fail "the arm64 pivra failed under qemu-aarch64"
file=$(ls "$work/run")
for check in "${arm64[*]} $work/arm64/usr/bin/pivra-check" "$work/amd64/usr/bin/pivra-check"; do
  # shellcheck disable=SC2086  # the qemu command line and the program, as words
  verdict=$(cd "$work/run" && $check -- "$file" 2>&1) || true
  [ "$verdict" = "$file: OK" ] || fail "$check on the arm64 pivra's file: $verdict"
done

# No shipped Linux program needs a newer glibc than its package's Depends names,
# nor, when built on the release's Debian, than the README promises.
promised=$(sed -n 's/.* with glibc \([0-9.]*\) or later.*/\1/p' "$source_dir/README.md" | head -n 1)
[ -n "$promised" ] || fail "the README promises no glibc version"
here_glibc=$(getconf GNU_LIBC_VERSION | awk '{print $2}')
older() { [ "$1" != "$2" ] && [ "$(printf '%s\n' "$1" "$2" | sort -V | head -n 1)" = "$1" ]; }
for arch in amd64 arm64; do
  depends=$(dpkg-deb --field "$first/dist/pivra_${version}_$arch.deb" Depends |
    sed -n 's/.*libc6 (>= \([0-9.]*\)).*/\1/p')
  for program in pivra pivra-check; do
    needed=$(readelf --version-info -W "$work/$arch/usr/bin/$program" |
      sed -n 's/.*Name: GLIBC_\([0-9.]*\).*/\1/p' | sort -uV | tail -n 1)
    ! older "$depends" "$needed" ||
      fail "$arch $program needs glibc $needed, its package names libc6 (>= $depends)"
    if ! older "$promised" "$here_glibc" && older "$promised" "$needed"; then
      fail "$arch $program needs glibc $needed; the README promises $promised"
    fi
  done
done
older "$promised" "$here_glibc" &&
  echo "note: built with glibc $here_glibc, newer than the release's (the README's $promised)"

# Kept for the test of the archives for any Linux (release.linux_archives).
if [ -n "${PIVRA_KEEP_DIST:-}" ]; then
  rm -rf "$PIVRA_KEEP_DIST"
  cp -r "$first/dist" "$PIVRA_KEEP_DIST"
fi
echo "PASS: $(tr '\n' ' ' <"$first/dist/SHA256SUMS")"
