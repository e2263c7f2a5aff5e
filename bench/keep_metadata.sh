#!/usr/bin/env bash
# Whole-run cost of --keep-metadata: a sparse 8-channel 24-bit 48 kHz file of about 3.5 GiB,
# sound only near both ends, with bext, iXML, cue, adtl and smpl chunks, cut with and without
# the option. Prints wall time and peak memory of each run.
# Usage: bench/keep_metadata.sh [build folder] [scratch folder]
set -euo pipefail
build="${1:-build}"
work="${2:-$(mktemp -d)}"
cli="$(realpath "$build")/src/cli/tacetix-cli"
python3 - "$work/long.wav" <<'PY'
import struct, sys
rate, ch, width = 48000, 8, 3
frames = 50 * 60 * rate                      # 50 minutes: 3.46 GB of samples
data_bytes = frames * ch * width
def chunk(i, b):
    return i + struct.pack('<I', len(b)) + b + (b'\0' if len(b) & 1 else b'')
fmt = struct.pack('<HHIIHH', 1, ch, rate, rate * ch * width, ch * width, 24)
bext = bytearray(602); bext[338:346] = struct.pack('<Q', 3600 * rate)
ixml = b'<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>172800000</BWF_TIME_REFERENCE_LOW></BEXT></BWFXML>'
cue = struct.pack('<I', 2) + struct.pack('<II4sIII', 1, rate, b'data', 0, 0, rate) \
    + struct.pack('<II4sIII', 2, frames - rate, b'data', 0, 0, frames - rate)
adtl = b'adtl' + chunk(b'labl', struct.pack('<I', 1) + b'start\0')
smpl = struct.pack('<9I', 0, 0, 20833, 60, 0, 0, 0, 1, 0) + struct.pack('<6I', 1, 0, rate, 2 * rate, 0, 0)
head = chunk(b'fmt ', fmt) + chunk(b'bext', bytes(bext)) + chunk(b'iXML', ixml) + b'data' + struct.pack('<I', data_bytes)
tail = chunk(b'cue ', cue) + chunk(b'LIST', adtl) + chunk(b'smpl', smpl)
riff_size = 4 + len(head) + data_bytes + len(tail)
with open(sys.argv[1], 'wb') as f:
    f.write(b'RIFF' + struct.pack('<I', riff_size) + b'WAVE' + head)
    start = f.tell()
    tone = b'\x00\x10\x00' * ch * 4800     # a tenth of a second of sound after one second
    f.seek(start + rate * ch * width); f.write(tone)
    f.seek(start + data_bytes - 2 * rate * ch * width); f.write(tone)
    f.seek(start + data_bytes); f.write(tail)
PY
ls -ls "$work/long.wav"
for option in "" "--keep-metadata" "" "--keep-metadata"; do
  rm -rf "$work/out"
  /usr/bin/time -f "${option:-plain}: %e s wall, %M KiB peak" "$cli" -q -o "$work/out" $option "$work/long.wav"
done
sndfile-info "$work/out/long.wav" 2>/dev/null | grep -E "^(fmt|bext|iXML|data|cue |LIST|smpl|Frames)" || true
rm -rf "$work/out" "$work/long.wav"
