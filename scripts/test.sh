#!/usr/bin/env bash
# Builds everything and runs all the tests, installing whatever is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/ensure-packages.sh cmake make g++ libgtest-dev
cmake --preset ci
cmake --build --preset ci -j"$(nproc)"
ctest --preset ci
