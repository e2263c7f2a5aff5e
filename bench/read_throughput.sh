#!/usr/bin/env bash
# Reading a 100 MB 16-bit file through PCMFile (262144-sample calls) against cat, both from
# the page cache. Usage: bench/read_throughput.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
reader="$build/bench/tacetix_read_bench"
file=/tmp/tacetix_read_bench_100MB.wav
[ -x "$reader" ] || { echo "build the target tacetix_read_bench first ($reader)" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is needed to make the test file" >&2; exit 1; }

# 25,000,000 stereo frames of 4 bytes: 100 MB of data.
if [ ! -f "$file" ]; then
  sox -R -r 44100 -c 2 -n -b 16 "$file" synth 25000000s whitenoise gain -1
fi
ls -l "$file"
cat "$file" > /dev/null  # into the page cache

"$reader" "$file"
if command -v hyperfine >/dev/null; then
  hyperfine --warmup 2 --runs 10 -N "cat $file" "$reader $file" 2>/dev/null \
    || hyperfine --warmup 2 --runs 10 "cat $file > /dev/null" "$reader $file"
else
  time cat "$file" > /dev/null
  time "$reader" "$file" > /dev/null
fi
