#!/usr/bin/env bash
# Builds pivra.exe for 64-bit and for 32-bit Windows with mingw-w64 and runs each
# build's tests under its own Wine (the windows64 and windows presets), installing
# the cross compilers and Wine first when they are missing. The 64-bit suite runs
# under wine64, which needs nothing 32-bit from the machine; the 32-bit one needs
# 32-bit Wine, which runs under qemu-i386 where the kernel runs no 32-bit code.
# Skips, saying why in one SKIP line, what cannot be had here: everything where
# nothing can be installed (not root, or no apt-get); a suite's tests that run
# programs where its Wine cannot be installed or cannot start. The image and
# release tests need no Wine and always run. The last line names the suites that
# ran natively, those that ran under qemu and those skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

installed=0
scripts/ensure-packages.sh cmake make g++ libgtest-dev googletest libboost-math-dev \
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 git unzip zip mandoc dpkg-dev file lintian \
  qemu-user debootstrap binutils || installed=$?
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

# Where the kernel runs no 32-bit code, 32-bit Wine's loader fails with "Exec
# format error". The 32-bit suite's configure (which checks Wine), build and tests
# then run with its i386 programs under a qemu-i386 of version 10 or newer, in a
# namespace of their own (scripts/qemu-i386-run.sh). Where Wine starts, no qemu.
wine32=()
qemu_failure=""
if [ -z "${wine_install_failure[windows]}" ] && ! wine_says=$(wine --version 2>&1 >/dev/null) &&
  [[ $wine_says == *"Exec format error"* ]]; then
  notes=$(mktemp)
  if qemu=$(scripts/qemu-i386.sh 2>"$notes") &&
    scripts/qemu-i386-run.sh "$qemu" wine --version >/dev/null 2>"$notes"; then
    wine32=(scripts/qemu-i386-run.sh "$qemu")
    qemu_version=$("$qemu" --version | sed -n '1s/^qemu-i386 version \([^ ]*\).*/\1/p')
    echo "32-bit Wine cannot start here (Exec format error): its suite runs under $qemu ($qemu_version)"
  else
    qemu_failure=$(tail -n 1 "$notes")
  fi
  rm -f "$notes"
fi
# Runs a command of a preset's: the 32-bit one's under qemu where it must.
for_preset() {
  local preset=$1
  shift
  if [ "$preset" = windows ] && [ ${#wine32[@]} -gt 0 ]; then
    "${wine32[@]}" "$@"
  else
    "$@"
  fi
}

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
  for_preset "$preset" cmake --preset "$preset"
  for_preset "$preset" cmake --build --preset "$preset" -j2
done

# Say up front what will be skipped: ctest lists skipped tests without the reason.
if [ "$(id -u)" != 0 ]; then
  echo "note: not root, so the full-disk and read-only Wine tests will be skipped (no tmpfs mounts)"
fi

export WINEDEBUG=-all
ran_natively=()
ran_under_qemu=()
skipped=()

# Runs one preset's suite under the Wine its configure found (WINE, WINESERVER
# and the build's own prefix, absolute: Wine refuses a relative one).
run_suite() {
  local preset=$1 name=$2 cache=build/$1/CMakeCache.txt failure
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache"; }
  failure=$(cached PIVRA_WINE_FAILURE)
  if [ -n "$failure" ]; then
    failure=${wine_install_failure[$preset]:-$failure}
    if [ "$preset" = windows ] && [ -n "$qemu_failure" ]; then
      failure+="; nor under qemu: $qemu_failure"
    fi
    echo "SKIP: the $name Windows tests that run programs: $failure; the tests that need no Wine still run"
    ctest --preset "$preset"
    skipped+=("$name")
    return
  fi
  WINE=$(cached PIVRA_WINE)
  WINESERVER=$(cached PIVRA_WINESERVER)
  WINEPREFIX=$(cached PIVRA_WINEPREFIX)
  export WINE WINESERVER WINEPREFIX
  # ctest lists the unit tests by running them under Wine before any fixture runs,
  # so the session (and, the first time, the prefix) must exist before ctest starts.
  for_preset "$preset" sh tests/windows/wine_session.sh run ctest --preset "$preset"
  if [ "$preset" = windows ] && [ ${#wine32[@]} -gt 0 ]; then
    ran_under_qemu+=("$name")
  else
    ran_natively+=("$name")
  fi
}

run_suite windows64 64-bit
run_suite windows 32-bit
listed() {
  local IFS=, all
  all="${*:-none}"
  echo "${all//,/, }"
}
summary="Windows suites run natively: $(listed "${ran_natively[@]}");"
summary+=" under qemu${qemu_version:+-i386 $qemu_version}: $(listed "${ran_under_qemu[@]}");"
summary+=" skipped: $(listed "${skipped[@]}")"
if [ ${#skipped[@]} = 2 ]; then
  summary="SKIP: no Windows program ran on this machine. $summary"
fi
echo "$summary"
