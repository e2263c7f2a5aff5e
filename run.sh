#!/usr/bin/env bash
# Builds everything and starts Tacetix. ./run.sh --cli ARGS runs tacetix-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
ensure_packages cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >&2
if [ "${1:-}" = "--cli" ]; then
  shift
  exec "$build/src/cli/tacetix-cli" "$@"
fi
if [ ! -x "$build/src/main/tacetix" ]; then
  exec "$build/src/cli/tacetix-cli" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: the window cannot open here; use ./run.sh --cli --help (tacetix-cli) instead." >&2
  exit 1
fi
exec "$build/src/main/tacetix" "$@"
