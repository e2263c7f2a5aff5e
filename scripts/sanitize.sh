#!/usr/bin/env bash
# The whole suite again, built by clang with address and undefined-behaviour sanitizers.
# Fails on any failing test and on any sanitizer report, also one written by a child process
# (tacetix-cli run by a test) whose exit status the test itself may have expected.
# Usage: scripts/sanitize.sh [extra cmake options]   (BUILD_DIR overrides build-sanitize)
# The window is built when Qt 6 is installed; pass -DTACETIX_GUI=OFF to leave it out.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source ./scripts/deps.sh
source ./scripts/sanitizer-reports.sh
ensure_packages cmake make pkg-config libebur128-dev zlib1g-dev clang libclang-rt-14-dev libgtest-dev libgmock-dev sox ffmpeg python3 \
  mediainfo sndfile-programs

build="${BUILD_DIR:-build-sanitize}"
gui=OFF
pkg-config --exists Qt6Widgets 2>/dev/null && gui=ON

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTACETIX_SANITIZE=ON \
  -DTACETIX_BENCH=OFF -DTACETIX_GUI="$gui" "$@" >/dev/null
nice cmake --build "$build" -j2

# Reports go to files as well as failing the process: a report in a child whose exit status
# was swallowed still fails the script. exitcode=86 keeps a report apart from the CLI's own 1.
reports="$root/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:exitcode=86:log_path=$reports/asan:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"

status=0
(cd "$build" && nice ctest --output-on-failure -j2 --timeout 900) || status=1

no_reports "$reports" || status=1
exit "$status"
