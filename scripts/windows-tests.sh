#!/usr/bin/env bash
# Builds the 32-bit Windows pivra.exe with mingw-w64 and runs its tests under Wine,
# installing the cross compiler and Wine first when they are missing. Skips, saying
# why, what cannot be had here: everything where nothing can be installed (not
# root, or no apt-get); the tests that run programs where Wine cannot be installed
# or cannot start. The image and release tests need no Wine and always run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

installed=0
scripts/ensure-packages.sh cmake make g++ libgtest-dev googletest libboost-math-dev \
  g++-mingw-w64-i686 git unzip zip mandoc dpkg-dev file lintian qemu-user debootstrap \
  || installed=$?
if [ "$installed" = 3 ]; then
  echo "SKIP: Windows build and tests: mingw-w64 and Wine are missing and cannot be installed here"
  exit 0
fi
[ "$installed" = 0 ] || exit "$installed"
# Wine's 32-bit half comes from the i386 lists, the ones most often out of step.
wine_failure=
if ! apt_says=$(scripts/ensure-packages.sh wine wine32:i386 2>&1 >/dev/null); then
  wine_failure=$(tail -n 1 <<<"$apt_says")
elif ! wine_says=$(wine --version 2>&1); then
  wine_failure="Wine cannot start here ($(head -n 1 <<<"$wine_says"); a kernel without 32-bit"
  wine_failure+=" support cannot run Wine's loader)"
fi

# The Linux pivra-seeded and pivra-check, whose files and reports the Windows ones
# must match byte for byte.
[ -f build/ci/CMakeCache.txt ] || cmake --preset ci >/dev/null
cmake --build build/ci --target pivra-seeded pivra-check -j2 >/dev/null

# Linked with the release's time stamp, pivra.exe is byte for byte the one the
# release ships, so these tests run the shipped program.
if git rev-parse --git-dir >/dev/null 2>&1; then
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
fi
cmake --preset windows
cmake --build --preset windows -j2

# The build's own prefix (absolute: Wine refuses a relative one).
WINEPREFIX=$(sed -n 's/^PIVRA_WINEPREFIX:[A-Z]*=//p' build/windows/CMakeCache.txt)
export WINEPREFIX
export WINEDEBUG=-all

# Say up front what will be skipped: ctest lists skipped tests without the reason.
if [ "$(id -u)" != 0 ]; then
  echo "note: not root, so the full-disk and read-only Wine tests will be skipped (no tmpfs mounts)"
fi

if [ -n "$wine_failure" ]; then
  echo "SKIP: the Windows tests that run programs: $wine_failure; the image and release" \
    "tests still run"
  ctest --preset windows
  exit 0
fi

# ctest lists the unit tests by running them under Wine before any fixture runs, so
# the session (and, the first time, the prefix) must exist before ctest starts.
export WINE WINESERVER
WINE=$(command -v wine)
WINESERVER=$(command -v wineserver)
trap 'sh tests/windows/wine_session.sh end' EXIT
started=$SECONDS
sh tests/windows/wine_session.sh start
echo "Wine session ready in $((SECONDS - started)) s (prefix $WINEPREFIX)"

ctest --preset windows
