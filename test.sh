#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite through ctest.
# Usage: ./test.sh [extra cmake options]   (BUILD_DIR overrides the build folder)
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
ensure_packages cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev sox ffmpeg \
  qt6-base-dev xvfb xauth python3 parallel bash-completion
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900
