#!/usr/bin/env bash
# Formats the C++ sources with .clang-format, or with --check only says which files it would
# change and fails then. The layout depends on clang-format's version: 14 is the one the tree
# is written for.
# Usage: scripts/format.sh [--check] [FILE...]   (default: every tracked source under src, tests, bench)
set -euo pipefail
cd "$(dirname "$0")/.."
source ./scripts/deps.sh
ensure_packages clang-format-14
format=clang-format-14

check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'src/*.inc' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
fi

if [ "$check" -eq 0 ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi
status=0
for f in "${files[@]}"; do
  if ! "$format" --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f" >&2
    status=1
  fi
done
exit "$status"
