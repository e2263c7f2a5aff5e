#!/usr/bin/env bash
# Peak memory and time of tacetix-cli on hostile metadata: files with 64 MiB of carried chunks
# (one alone, and eight with -j 8, --keep-metadata), and a 2 MB RF64 file whose ds64 table has
# 100,000 entries and whose chunks all look their sizes up in it; iXML chunks that repeat their
# time reference 40,000 and 150,000 times (4.2 and 15.8 MB), the second also stopped by SIGINT
# 0.3 s in (the time is then that to the exit); cue chunks of 16 MiB, one alone and eight with -j 8.
#
# Usage: bench/hostile_metadata.sh [tacetix-cli]     (needs python3 and /usr/bin/time)
# Environment: WORK (/tmp/tacetix-bench-hostile; needs about 800 MB).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="$(realpath "${1:-$here/../build/src/cli/tacetix-cli}")"
work="${WORK:-/tmp/tacetix-bench-hostile}"
rm -rf "$work"
mkdir -p "$work"
python3 - "$work" <<'PY'
import math, os, struct, sys
work = sys.argv[1]
def chunk(cid, body, declared=None):
    size = len(body) if declared is None else declared
    return cid + struct.pack("<I", size) + body + (b"\0" if len(body) % 2 else b"")
rate = 48000
tone = [0] * 4800 + [int(12000 * math.sin(i / 5)) for i in range(rate)] + [0] * 4800
data = b"".join(struct.pack("<h", v) for v in tone)
fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
big = (16 << 20) - 64  # four of these stay within what one output may carry
body = (b"WAVE" + chunk(b"fmt ", fmt) + chunk(b"LIST", b"INFO" + chunk(b"ICMT", b"x" * (big - 12)))
        + chunk(b"axml", b"<a>" + b"y" * (big - 3)) + chunk(b"iXML", b"<BWFXML>" + b" " * (big - 8))
        + chunk(b"cart", bytes(big)) + chunk(b"data", data))
for i in range(1, 9):
    with open(os.path.join(work, "meta%d.wav" % i), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
n = 100000
table = b"".join(struct.pack("<IQ", i + 1000, 0) for i in range(n - 1)) + struct.pack("<4sQ", b"abcd", 0)
rest = (b"".join(struct.pack("<4sI", b"abcd", 0xFFFFFFFF) for _ in range(n - 10)) + chunk(b"fmt ", fmt)
        + chunk(b"data", data[:2000], 0xFFFFFFFF))
ds64 = struct.pack("<QQQI", 0, 2000, 1000, n) + table
with open(os.path.join(work, "ds64-table.wav"), "wb") as f:
    f.write(b"RF64" + struct.pack("<I", 0xFFFFFFFF) + b"WAVE" + chunk(b"ds64", ds64) + rest)
def wave(*chunks):
    body = b"WAVE" + chunk(b"fmt ", fmt) + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body
pair = (b"<BWF_TIME_REFERENCE_LOW>123456</BWF_TIME_REFERENCE_LOW>"
        b"<BWF_TIME_REFERENCE_HIGH>0</BWF_TIME_REFERENCE_HIGH>\n")
for pairs in (40000, 150000):
    with open(os.path.join(work, "ixml%d.wav" % pairs), "wb") as f:
        f.write(wave(chunk(b"iXML", b"<BWFXML>" + pair * pairs + b"</BWFXML>"), chunk(b"data", data)))
points = ((16 << 20) - 4) // 24
cue = struct.pack("<I", points) + b"".join(
    struct.pack("<II4sIII", i, i % len(tone), b"data", 0, 0, i % len(tone)) for i in range(points))
for i in range(1, 9):
    with open(os.path.join(work, "cue%d.wav" % i), "wb") as f:
        f.write(wave(chunk(b"data", data), chunk(b"cue ", cue)))
PY
measure() {
  local label="$1"
  shift
  rm -rf "$work/out"
  /usr/bin/time -f "%M %e" -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
  read -r rss seconds < "$work/time.txt"
  printf '%-40s max RSS %7d KiB  %6.2f s\n' "$label" "$rss" "$seconds"
}
measure "one file, 64 MiB of chunks" "$cli" -q --keep-metadata -o "$work/out" "$work/meta1.wav"
measure "eight such files, -j 8" "$cli" -q -j 8 --keep-metadata -o "$work/out" "$work"/meta?.wav
measure "ds64 table of 100,000 entries" "$cli" -q --keep-metadata -o "$work/out" "$work/ds64-table.wav"
# The seconds from a SIGINT sent 0.3 s into the run to its exit.
stopped() {
  local label="$1"
  shift
  rm -rf "$work/out"
  local start
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 0.3
  start=$(date +%s.%N)
  kill -INT "$pid" 2>/dev/null || true
  local status=0
  wait "$pid" || status=$?
  printf '%-40s exit %d %6.2f s after SIGINT\n' "$label" "$status" "$(echo "$(date +%s.%N) - $start" | bc)"
}
measure "iXML of 40,000 references" "$cli" -q --keep-metadata -o "$work/out" "$work/ixml40000.wav"
measure "iXML of 150,000 references" "$cli" -q --keep-metadata -o "$work/out" "$work/ixml150000.wav"
stopped "iXML of 150,000 references, stopped" "$cli" -q --keep-metadata -o "$work/out" "$work/ixml150000.wav"
measure "cue chunk of 16 MiB" "$cli" -q --keep-metadata -o "$work/out" "$work/cue1.wav"
measure "eight such files, -j 8" "$cli" -q -j 8 --keep-metadata -o "$work/out" "$work"/cue?.wav
rm -rf "$work"
