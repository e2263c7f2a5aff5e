#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks included) and runs the whole suite
# through ctest, the Debian package test too (`ctest -LE package` in the build folder leaves it out).
# Usage: ./test.sh [extra cmake options]   (BUILD_DIR overrides the build folder)
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
ensure_packages cmake g++ make pkg-config libebur128-dev libflac-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev sox ffmpeg flac \
  qt6-base-dev xvfb xauth python3 python3-yaml parallel bash-completion procps util-linux \
  desktop-file-utils appstream librsvg2-bin dpkg-dev file lintian mediainfo sndfile-programs
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DTACETIX_TESTS=ON -DTACETIX_BENCH=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900
