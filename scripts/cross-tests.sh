#!/usr/bin/env bash
# Builds pivra and pivra-seeded for big-endian s390x and for aarch64 with Debian's
# cross compilers and runs their tests under qemu-user, against the native ci build,
# installing the compilers and qemu first when they are missing. Skips, saying why,
# only where they cannot be installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Without root or apt-get, or where the package index cannot give them, these
# builds are left out with the reason, as the Wine tests are.
if ! apt_says=$(scripts/ensure-packages.sh cmake make g++ libboost-math-dev g++-s390x-linux-gnu \
  g++-aarch64-linux-gnu qemu-user 2>&1 >/dev/null); then
  echo "SKIP: s390x and aarch64 builds and tests: $(tail -n 1 <<<"$apt_says")"
  exit 0
fi

# The native pivra-seeded and pivra-check, whose files and verdicts count.
[ -f build/ci/CMakeCache.txt ] || cmake --preset ci >/dev/null
cmake --build build/ci --target pivra-seeded pivra-check -j2 >/dev/null

for arch in s390x aarch64; do
  started=$SECONDS
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" -j2 >/dev/null
  ctest --preset "$arch"
  echo "$arch: built and tested in $((SECONDS - started)) s"
done
