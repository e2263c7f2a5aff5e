#!/usr/bin/env bash
# The parallel-run and command-line tests built by clang with ThreadSanitizer, in a build folder
# of their own. Fails on any failing test and on any race report, also one written by a child
# process (tacetix-cli run by a test) whose exit status the test itself may have expected.
# Usage: scripts/tsan.sh [extra cmake options]   (BUILD_DIR overrides build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source ./scripts/deps.sh
source ./scripts/sanitizer-reports.sh
ensure_packages cmake make pkg-config libebur128-dev zlib1g-dev clang libclang-rt-14-dev libgtest-dev libgmock-dev sox ffmpeg python3 parallel bash-completion \
  mediainfo sndfile-programs

build="${BUILD_DIR:-build-tsan}"
flags="-fsanitize=thread -fno-omit-frame-pointer -g"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTACETIX_GUI=OFF \
  -DTACETIX_BENCH=OFF -DTACETIX_TESTS=ON -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
  "$@" >/dev/null
nice cmake --build "$build" -j2 --target run_tests cli_tests tacetix-cli

reports="$root/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# exitcode=86 keeps a report apart from the CLI's own 1.
export TSAN_OPTIONS="exitcode=86:log_path=$reports/tsan:second_deadlock_stack=1:history_size=4"

# ThreadSanitizer wants the address space laid out as it expects; on kernels with more
# randomisation than that (vm.mmap_rnd_bits above 28) it stops at start: then run with the
# layout fixed (setarch -R), which the tests' child processes inherit.
run=()
if ! "$build/src/cli/tacetix-cli" --version >/dev/null 2>&1; then
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    run=(setarch "$(uname -m)" -R)
  fi
  rm -f "$reports"/*
fi

# The worker hand-out's own tests and every suite of the command-line program (which runs the
# CLI with -j as well), the scale-out recipe included.
suites="$("$build/tests/cli/cli_tests" --gtest_list_tests | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p' | paste -sd'|')"
status=0
(cd "$build" && nice "${run[@]}" ctest --output-on-failure -j2 --timeout 1800 \
  -R "^(ParallelRun|$suites|ScaleOut)\\.") || status=1

no_reports "$reports" || status=1
exit "$status"
