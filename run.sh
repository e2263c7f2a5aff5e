#!/usr/bin/env bash
# Builds everything and starts the Tacetix window. ./run.sh --cli ARGS runs tacetix-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
ensure_packages cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
build="${BUILD_DIR:-build}"
log="$build/run-build.log"
mkdir -p "$build"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTACETIX_GUI=ON &&
       cmake --build "$build" -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: the build failed (log: $log)" >&2
  exit 1
fi
if [ "${1:-}" = "--cli" ]; then
  shift
  exec "$build/src/cli/tacetix-cli" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the Tacetix window cannot open here; use the command line instead: ./run.sh --cli --help" >&2
  exit 1
fi
exec "$build/src/main/tacetix" "$@"
