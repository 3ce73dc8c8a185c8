#!/usr/bin/env bash
# Builds everything and runs all the tests, installing whatever is missing first:
# the unit and process tests under the sanitizers, pivra-check's fuzz harnesses
# built for libFuzzer over their corpus, the Linux build with its unit,
# process and randomness-battery tests, the s390x and aarch64 builds under qemu-user,
# then the 64-bit and 32-bit Windows builds under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/ensure-packages.sh cmake make g++ libgtest-dev libboost-math-dev dieharder
# The analysers, memcheck, what the install and package checks run, and strace;
# clang and its libFuzzer runtime for the fuzz harnesses.
scripts/ensure-packages.sh valgrind cppcheck clang-tidy clang-format shellcheck man-db dpkg-dev \
  file strace lintian mandoc clang libclang-rt-dev
# Debian 13's analysers, which Debian 12 has too, so that a run on either finds
# what the other's would; a release without them is no failure: lint.sh runs
# what is installed and names it.
scripts/ensure-packages.sh clang-tidy-19 clang-format-19 ||
  echo "note: no clang-tidy-19 or clang-format-19 here; the default analysers run alone"

# The unit and process tests under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset sanitize
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize

# pivra-check's fuzz harnesses built for libFuzzer with clang, replaying their corpus.
scripts/fuzz.sh 0

# The hardened Release build: every test, memcheck, the analysers, install and package.
cmake --preset ci
cmake --build --preset ci -j"$(nproc)"
ctest --preset ci

scripts/cross-tests.sh
scripts/windows-tests.sh
