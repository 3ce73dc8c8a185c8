#!/usr/bin/env bash
# Builds pivra in Release mode and runs it once in the current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Any Linux with the build tools on PATH needs nothing more; only where one is
# missing is apt asked, and where there is no apt either, the user is told what.
missing=()
for tool in cmake make; do command -v "$tool" >/dev/null || missing+=("$tool"); done
command -v c++ >/dev/null || command -v g++ >/dev/null || command -v clang++ >/dev/null ||
  missing+=("a C++20 compiler (c++, g++ or clang++)")
if [ ${#missing[@]} -gt 0 ]; then
  if ! command -v apt-get >/dev/null; then
    list=$(printf '%s, ' "${missing[@]}")
    echo "cannot build pivra: install ${list%, } and run again (no apt-get here)" >&2
    exit 3
  fi
  "$root/scripts/ensure-packages.sh" cmake make g++
fi
# Quiet but for the one line that says pivra-check is left out (no Boost.Math).
# No preset, so that the CMake of an older Linux will do (presets need 3.25).
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF |
  { grep -F 'without pivra-check' || true; }
cmake --build "$root/build/release" -j"$(nproc)" >/dev/null
before=$(ls pivra-*.TXT 2>/dev/null || true)
status=0
"$root/build/release/pivra" || status=$?
after=$(ls pivra-*.TXT 2>/dev/null || true)
comm -13 <(echo "$before") <(echo "$after") | sed 's/^/wrote /'
exit "$status"
