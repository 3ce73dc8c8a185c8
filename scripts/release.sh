#!/usr/bin/env bash
# Builds the release from the committed tree into dist/:
#   pivra_<version>_amd64.deb, pivra_<version>_arm64.deb (cross-built),
#   pivra-<version>-win32.zip, pivra-<version>-win64.zip,
#   pivra-<version>-linux-x86_64.tar.gz and pivra-<version>-linux-aarch64.tar.gz
#   (static, for any Linux), and SHA256SUMS of the six.
# Installs what it needs first, as scripts/test.sh does. Anyone who rebuilds the
# same commit gets the same bytes: every date inside the artifacts comes from
# SOURCE_DATE_EPOCH (the last commit's time unless it is set), and neither the
# build's path, umask, locale nor time zone reaches them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/ensure-packages.sh git cmake make g++ dpkg-dev file gzip mandoc zip libboost-math-dev \
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
  g++-aarch64-linux-gnu binutils-aarch64-linux-gnu

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
# Zip members carry local times, sorting follows the locale, and the package's
# modes follow the umask: all three are fixed here.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "note: uncommitted changes are left out: the release is built from HEAD" >&2

# Inside the tree, so that its place and the length of its path reach the build:
# two clones in unlike places must still give the same bytes.
work=$root/build/release-of-head
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"
git archive HEAD | tar -x -C "$work/src"

# Linux: the Debian package, through CPack.
cmake -S "$work/src" -B "$work/linux" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DPIVRA_CHECK=ON >/dev/null
cmake --build "$work/linux" -j"$(nproc)" >/dev/null
cpack --config "$work/linux/CPackConfig.cmake" -B "$work/deb" >/dev/null
version=$(sed -n 's/^PIVRA_VERSION_TEXT:INTERNAL=//p' "$work/linux/CMakeCache.txt")
deb=pivra_${version}_amd64.deb

# Windows, one zip per processor (win32: i686, win64: x86_64): one folder
# pivra-<version>-win32/ (-win64/) holding the stripped pivra.exe and
# pivra-check.exe with their resources, their manual pages as HTML linked to each
# other, the licence and the README for Windows users, text files with CR LF.
windows_zip() {
  local processor=$1 zip=$2 build=$work/windows-$1 top=${2%.zip} stage members
  cmake -S "$work/src" -B "$build" --toolchain "$work/src/cmake/mingw-w64-$processor.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPIVRA_CHECK=ON >/dev/null
  cmake --build "$build" --target pivra pivra-check -j"$(nproc)" >/dev/null
  stage=$work/zip/$top
  mkdir -p "$stage"
  members=("$top/")
  for program in pivra pivra-check; do
    cp "$build/$program.exe" "$stage/"
    # mandoc's page with a style sheet of ours after its own, and links between the two.
    mandoc -T html "$build/$program.1" |
      sed -E -e "/<\/style>/r $work/src/packaging/page-style.html" \
        -e 's|<b>(pivra(-check)?)</b>\(1\)|<a href="\1.html"><b>\1</b>(1)</a>|g' \
        >"$stage/$program.html"
    chmod 0755 "$stage/$program.exe"
    members+=("$top/$program.exe" "$top/$program.html")
  done
  sed 's/$/\r/' "$work/src/LICENSE" >"$stage/LICENSE.txt"
  sed 's/$/\r/' "$build/README.txt" >"$stage/README.txt"
  members+=("$top/LICENSE.txt" "$top/README.txt")
  chmod 0644 "$stage"/*.html "$stage"/*.txt
  chmod 0755 "$stage"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage" "$stage"/*
  # -X: no owner ids or extra time stamps; the members' times are local, so UTC.
  (cd "$work/zip" && zip -q -X "$work/$zip" "${members[@]}")
}
zip=pivra-${version}-win32.zip
zip64=pivra-${version}-win64.zip
windows_zip i686 "$zip"
windows_zip x86_64 "$zip64"

# 64-bit ARM Linux: the same package, cross-built with Debian's aarch64 compilers.
cmake -S "$work/src" -B "$work/arm64" --toolchain "$work/src/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPIVRA_CHECK=ON >/dev/null
cmake --build "$work/arm64" -j"$(nproc)" >/dev/null
cpack --config "$work/arm64/CPackConfig.cmake" -B "$work/arm64-deb" >/dev/null
arm64_deb=pivra_${version}_arm64.deb

# Any Linux: pivra-<version>-linux-<arch>.tar.gz, one folder of the same name
# holding the static programs in bin/, their manual pages in share/man/man1/,
# the README for Linux users and the licence. The names sorted, owner root and
# every time SOURCE_DATE_EPOCH's; gzip -n stores no name or time.
linux_archive() {
  local arch=$1 build=$work/static-$1 top=pivra-${version}-linux-$1
  shift
  cmake -S "$work/src" -B "$build" "$@" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DPIVRA_CHECK=ON -DPIVRA_STATIC=ON >/dev/null
  cmake --build "$build" --target pivra pivra-check -j"$(nproc)" >/dev/null
  cmake --install "$build" --prefix "$build/installed" --strip >/dev/null
  local stage=$work/tar-$arch/$top
  mkdir -p "$stage/bin" "$stage/share/man/man1"
  cp "$build/installed/bin/pivra" "$build/installed/bin/pivra-check" "$stage/bin/"
  cp "$build/installed/share/man/man1/"pivra{,-check}.1.gz "$stage/share/man/man1/"
  cp "$work/src/LICENSE" "$build/README" "$stage/"
  chmod -R u=rwX,go=rX "$stage"
  tar -C "$work/tar-$arch" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
    --mtime="@$SOURCE_DATE_EPOCH" -cf - "$top" | gzip -9n >"$work/$top.tar.gz"
  archives+=("$top.tar.gz")
}
archives=()
linux_archive x86_64
linux_archive aarch64 --toolchain "$work/src/cmake/aarch64-linux-gnu.cmake"

mkdir -p dist
rm -f "dist/$deb" "dist/$arm64_deb" "dist/$zip" "dist/$zip64" "${archives[@]/#/dist/}" \
  dist/SHA256SUMS
cp "$work/deb/$deb" "$work/arm64-deb/$arm64_deb" "$work/$zip" "$work/$zip64" \
  "${archives[@]/#/$work/}" dist/
(cd dist && sha256sum "$deb" "$arm64_deb" "$zip" "$zip64" "${archives[@]}" >SHA256SUMS)
cat dist/SHA256SUMS
