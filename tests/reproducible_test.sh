#!/usr/bin/env bash
# scripts/release.sh in two clones of the committed tree that differ in path (one
# much longer), umask, time zone and locale: the two SHA256SUMS must be equal.
# Then what the zip holds, and that its programs are the TESTED_EXE files given.
# Usage: reproducible_test.sh SOURCE_DIR [TESTED_EXE...]
set -euo pipefail
source_dir=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/tool_checks.sh"

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

version=$(sed -n 's/^project(pivra VERSION \([0-9.]*\).*/\1/p' "$first/CMakeLists.txt")
zip=$first/dist/pivra-$version-win32.zip
top=pivra-$version-win32
[ "$(unzip -Z1 "$zip")" = "$(printf "$top/%s\n" "" pivra.exe pivra.html pivra-check.exe \
  pivra-check.html LICENSE.txt README.txt)" ] ||
  fail "the zip holds not one folder $top/ of the programs and their papers:"$'\n'"$(unzip -Z1 "$zip")"
# Notepad shows plain ASCII with CR LF right, whatever its age.
for text in LICENSE.txt README.txt; do
  lines=$(unzip -p "$zip" "$top/$text")
  if grep -qv $'\r$' <<<"$lines"; then fail "$text has a line not ended by CR LF"; fi
  if LC_ALL=C grep -q '[^[:print:][:space:]]' <<<"$lines"; then fail "$text is not ASCII"; fi
done
unzip -p "$zip" "$top/pivra-check.html" | grep -q '<a href="pivra.html"><b>pivra</b>(1)</a>' ||
  fail "pivra-check.html does not link to pivra.html"
# Built from the working tree, the tested programs are the release's only when
# the tree is HEAD and they were linked with its time (scripts/windows-tests.sh).
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes: the tested programs are not compared with the zip's"
  set --
fi
for tested in "$@"; do
  unzip -p "$zip" "$top/$(basename "$tested")" | cmp -s - "$tested" ||
    fail "the zip's $(basename "$tested") is not the one the Windows tests run"
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
# Kept for the test of the archives for any Linux (release.linux_archives).
if [ -n "${PIVRA_KEEP_DIST:-}" ]; then
  rm -rf "$PIVRA_KEEP_DIST"
  cp -r "$first/dist" "$PIVRA_KEEP_DIST"
fi
echo "PASS: $(tr '\n' ' ' <"$first/dist/SHA256SUMS")"
