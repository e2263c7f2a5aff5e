#!/usr/bin/env bash
# The preview on a 3-hour recording of 1 GB (16-bit mono, 48 kHz: a tone between a second of
# silence at each end), read from the page cache: see PreviewBench.cpp for what is measured.
# Usage: bench/preview_bench.sh [build folder]   (configured with -DTACETIX_BENCH=ON and the window)
# Environment: WORK (/tmp/tacetix-bench-preview), RUNS (3).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
work="${WORK:-/tmp/tacetix-bench-preview}"
mkdir -p "$work"
input="$work/three-hours.wav"
if [ ! -f "$input" ]; then
  python3 - "$input" <<'PY'
import math, struct, sys
rate, seconds = 48000, 3 * 3600
second = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * n / rate))) for n in range(rate))
silence = bytes(2 * rate)
with open(sys.argv[1], "wb") as out:
    data = 2 * rate * seconds
    out.write(b"RIFF" + struct.pack("<I", 36 + data) + b"WAVEfmt " +
              struct.pack("<IHHIIHH", 16, 1, 1, rate, 2 * rate, 2, 16) + b"data" + struct.pack("<I", data))
    out.write(silence)
    for _ in range(seconds - 2):
        out.write(second)
    out.write(silence)
PY
fi
cat "$input" >/dev/null  # into the page cache
for run in $(seq "${RUNS:-3}"); do
  echo "run $run"
  "$build/bench/tacetix_bench_preview" "$input"
done
