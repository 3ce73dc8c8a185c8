#!/usr/bin/env bash
# Builds pivra.exe for 64-bit and for 32-bit Windows with mingw-w64 and runs each
# build's tests under its own Wine (the windows64 and windows presets), installing
# the cross compilers and Wine first when they are missing. The 64-bit suite runs
# under wine64, which needs nothing 32-bit from the machine; the 32-bit one needs
# 32-bit Wine. Skips, saying why in one SKIP line, what cannot be had here:
# everything where nothing can be installed (not root, or no apt-get); a suite's
# tests that run programs where its Wine cannot be installed or cannot start. The
# image and release tests need no Wine and always run. A run in which no Windows
# program ran says so in its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

installed=0
scripts/ensure-packages.sh cmake make g++ libgtest-dev googletest libboost-math-dev \
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 git unzip zip mandoc dpkg-dev file lintian \
  qemu-user debootstrap || installed=$?
if [ "$installed" = 3 ]; then
  echo "SKIP: Windows build and tests: mingw-w64 and Wine are missing and cannot be installed" \
    "here, so no Windows program ran"
  exit 0
fi
[ "$installed" = 0 ] || exit "$installed"

# Why a suite's Wine cannot be installed: the last line of ensure-packages.sh.
install_failure() {
  local apt_says
  if ! apt_says=$(scripts/ensure-packages.sh "$@" 2>&1 >/dev/null); then
    tail -n 1 <<<"$apt_says"
  fi
}
# wine64 is an amd64 package; Wine's 32-bit half comes from the i386 lists, the
# ones most often out of step.
declare -A wine_install_failure
wine_install_failure[windows64]=$(install_failure wine64)
wine_install_failure[windows]=$(install_failure wine wine32:i386)

# The Linux pivra-seeded and pivra-check, whose files and reports the Windows ones
# must match byte for byte.
[ -f build/ci/CMakeCache.txt ] || cmake --preset ci >/dev/null
cmake --build build/ci --target pivra-seeded pivra-check -j2 >/dev/null

# Linked with the release's time stamp, the programs are byte for byte the ones
# the release ships, so these tests run the shipped programs. Both builds come
# first: the 64-bit suite's release test compares the win32 zip with the 32-bit
# build too.
if git rev-parse --git-dir >/dev/null 2>&1; then
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
fi
for preset in windows64 windows; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j2
done

# Say up front what will be skipped: ctest lists skipped tests without the reason.
if [ "$(id -u)" != 0 ]; then
  echo "note: not root, so the full-disk and read-only Wine tests will be skipped (no tmpfs mounts)"
fi

export WINEDEBUG=-all
session_open=0
end_session() {
  if [ "$session_open" = 1 ]; then sh tests/windows/wine_session.sh end; fi
  session_open=0
}
trap end_session EXIT
suites_run=0

# Runs one preset's suite under the Wine its configure found (WINE, WINESERVER
# and the build's own prefix, absolute: Wine refuses a relative one).
run_suite() {
  local preset=$1 name=$2 cache=build/$1/CMakeCache.txt failure
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache"; }
  failure=$(cached PIVRA_WINE_FAILURE)
  if [ -n "$failure" ]; then
    echo "SKIP: the $name Windows tests that run programs: ${wine_install_failure[$preset]:-$failure};" \
      "the tests that need no Wine still run"
    ctest --preset "$preset"
    return
  fi
  WINE=$(cached PIVRA_WINE)
  WINESERVER=$(cached PIVRA_WINESERVER)
  WINEPREFIX=$(cached PIVRA_WINEPREFIX)
  export WINE WINESERVER WINEPREFIX
  # ctest lists the unit tests by running them under Wine before any fixture runs,
  # so the session (and, the first time, the prefix) must exist before ctest starts.
  local started=$SECONDS
  session_open=1
  sh tests/windows/wine_session.sh start
  echo "$name Wine session ready in $((SECONDS - started)) s ($WINE, prefix $WINEPREFIX)"
  ctest --preset "$preset"
  end_session
  suites_run=$((suites_run + 1))
}

run_suite windows64 64-bit
run_suite windows 32-bit
if [ "$suites_run" = 0 ]; then
  echo "SKIP: no Windows program ran on this machine: neither wine64 nor 32-bit Wine can start here"
fi
