#!/usr/bin/env bash
# clang-tidy with .clang-tidy over every source file under src (the window's too when Qt 6 is
# installed), from the compile commands of a build folder of its own that is configured only:
# nothing is compiled. Fails on any finding. About five minutes on two cores, GUI included.
# Usage: scripts/tidy.sh [FILE-REGEX] [-- extra cmake options]   (BUILD_DIR overrides build-tidy)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source ./scripts/deps.sh
ensure_packages cmake g++ make pkg-config libebur128-dev zlib1g-dev clang-tidy-14

filter="^$(sed 's/[][\.*^$()+?{}|]/\\&/g' <<<"$root")/src/.*\.cpp$"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
  filter="$1"
  shift
fi
[ "${1:-}" = "--" ] && shift

build="${BUILD_DIR:-build-tidy}"
gui=OFF
pkg-config --exists Qt6Widgets 2>/dev/null && gui=ON
cmake -S . -B "$build" -DTACETIX_GUI="$gui" -DTACETIX_TESTS=OFF -DTACETIX_BENCH=OFF "$@" >/dev/null
nice run-clang-tidy-14 -quiet -p "$build" -j"$(nproc)" "$filter"
