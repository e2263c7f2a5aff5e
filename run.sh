#!/usr/bin/env bash
# Builds and starts the Tacetix window; ./run.sh --cli ARGS builds and runs tacetix-cli instead.
# The build folder is configured once; later runs build only the program asked for (CMake
# itself reconfigures when a CMakeLists.txt changed), so a second start takes about a second.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
build="${BUILD_DIR:-build}"
log="$build/run-build.log"
if [ "${1:-}" = "--cli" ]; then
  shift
  target=tacetix-cli program="$build/src/cli/tacetix-cli" gui=OFF
  ensure_packages cmake g++ make pkg-config libebur128-dev libflac-dev zlib1g-dev
else
  target=tacetix program="$build/src/main/tacetix" gui=ON
  ensure_packages cmake g++ make pkg-config libebur128-dev libflac-dev zlib1g-dev qt6-base-dev
fi
mkdir -p "$build"
configure=()
if [ ! -f "$build/CMakeCache.txt" ]; then
  # A new folder: neither tests nor benchmarks (./test.sh turns them on in the same folder).
  configure=(-DCMAKE_BUILD_TYPE=Release -DTACETIX_GUI="$gui" -DTACETIX_TESTS=OFF -DTACETIX_BENCH=OFF)
elif [ "$gui" = ON ] && grep -q '^TACETIX_GUI:BOOL=OFF$' "$build/CMakeCache.txt"; then
  configure=(-DTACETIX_GUI=ON)  # first configured for --cli
fi
if ! { if [ ${#configure[@]} -gt 0 ]; then cmake -S . -B "$build" "${configure[@]}"; fi &&
       cmake --build "$build" --target "$target" -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: the build failed (log: $log)" >&2
  exit 1
fi
if [ "$gui" = OFF ]; then
  exec "$program" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the Tacetix window cannot open here; use the command line instead: ./run.sh --cli --help" >&2
  exit 1
fi
exec "$program" "$@"
