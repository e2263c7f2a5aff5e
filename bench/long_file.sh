#!/usr/bin/env bash
# Wall time and peak memory of tacetix-cli on one long multichannel recording: 24-bit, 8 channels,
# 48 kHz, sparse silence with a second of sound near each end (so the cut keeps almost all of it),
# bext and LIST/INFO before the data and a cue chunk after it. Runs alternate between the variants
# (plain, and with --keep-metadata when this tacetix-cli has it); prints each run and the medians.
#
# Usage: bench/long_file.sh [build folder]     (needs python3 and /usr/bin/time)
# Environment: SECONDS_LONG (3262: 3.5 GiB of samples; 10800 makes 3 hours, 12.4 GiB),
#   RUNS (3), WORK (/tmp/tacetix-bench-long; needs free room for one output as large as the input).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/src/cli/tacetix-cli"
seconds="${SECONDS_LONG:-3262}"
runs="${RUNS:-3}"
work="${WORK:-/tmp/tacetix-bench-long}"
[ -x /usr/bin/time ] || { source "$here/../scripts/deps.sh"; ensure_packages time; }

mkdir -p "$work"
input="$work/long.wav"
python3 - "$input" "$seconds" <<'PY'
import os, struct, sys
path, seconds = sys.argv[1], int(sys.argv[2])
rate, channels, width = 48000, 8, 3
frames = seconds * rate
data = frames * channels * width
def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")
fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * width, channels * width, 24)
bext = bytearray(602)
bext[0:10] = b"long take "
bext[338:346] = struct.pack("<Q", 48000 * 3600)   # time reference: one hour in
info = b"INFO" + chunk(b"INAM", b"long take\0")
cue = struct.pack("<I", 1) + struct.pack("<II4sIII", 1, 0, b"data", 0, 0, rate * 60)
head = chunk(b"fmt ", fmt) + chunk(b"bext", bytes(bext)) + chunk(b"LIST", info)
big = data + 8 + len(chunk(b"cue ", cue)) > 0xFFFFFFFF - 100
if big:  # RF64 with ds64 first
    body_after = chunk(b"cue ", cue)
    riff = 4 + 36 + len(head) + 8 + data + len(body_after)
    ds64 = chunk(b"ds64", struct.pack("<QQQI", riff, data, frames, 0))
    prefix = b"RF64" + struct.pack("<I", 0xFFFFFFFF) + b"WAVE" + ds64 + head + b"data" + struct.pack("<I", 0xFFFFFFFF)
else:
    body_after = chunk(b"cue ", cue)
    riff = 4 + len(head) + 8 + data + len(body_after)
    prefix = b"RIFF" + struct.pack("<I", riff) + b"WAVE" + head + b"data" + struct.pack("<I", data)
tone = b"".join(struct.pack("<i", int(2**22 * ((i % 48) - 24) / 24))[:3] * channels for i in range(rate))
with open(path, "wb") as f:
    f.write(prefix)
    start = len(prefix)
    f.truncate(start + data + len(body_after))
    f.seek(start + rate * channels * width)                  # one second in
    f.write(tone)
    f.seek(start + data - 2 * rate * channels * width)       # two seconds before the end
    f.write(tone)
    f.seek(start + data)
    f.write(body_after)
print(f"input: {path}, {seconds} s, {data / 2**30:.2f} GiB of samples, {'RF64' if big else 'RIFF'}")
PY

variants=("plain")
"$cli" --help | grep -q -- '--keep-metadata' && variants+=("--keep-metadata")
declare -A walls rss
for run in $(seq 1 "$runs"); do
  for v in "${variants[@]}"; do
    rm -rf "$work/out"
    args=(--subfolder out -q)
    [ "$v" != plain ] && args+=("$v")
    sync
    /usr/bin/time -v -o "$work/time.txt" "$cli" "${args[@]}" "$input"
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time.txt")
    kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    echo "run $run $v: ${wall} s, peak ${kib} KiB, output $(stat -c %s "$work/out/long.wav") bytes"
    walls[$v]+="$wall "
    rss[$v]+="$kib "
  done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
for v in "${variants[@]}"; do
  echo "median $v: $(echo "${walls[$v]}" | median) s, peak $(echo "${rss[$v]}" | median) KiB"
done
rm -rf "$work"
