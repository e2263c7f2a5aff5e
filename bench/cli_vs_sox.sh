#!/usr/bin/env bash
# Times tacetix-cli against the nearest sox command and against cp, on the same corpus:
# ten 10-minute 16-bit stereo files with 5 s of silence at both ends.
# Usage: bench/cli_vs_sox.sh [build folder]   (needs sox, hyperfine and /usr/bin/time)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/src/cli/tacetix-cli"
corpus="${CORPUS:-/tmp/tacetix-bench-corpus}"
count="${COUNT:-10}"
minutes="${MINUTES:-10}"

mkdir -p "$corpus/src"
for i in $(seq 1 "$count"); do
  f="$corpus/src/take$i.wav"
  [ -f "$f" ] || sox -n -r 44100 -c 2 -b 16 "$f" synth "$((minutes * 60))" sine $((200 + 50 * i)) gain -8 pad 5 5
done
du -sh "$corpus/src"

clean() { rm -rf "$corpus/src/out" "$corpus/sox" "$corpus/cp"; }
soxall() {
  mkdir -p "$corpus/sox"
  for f in "$corpus"/src/take*.wav; do
    sox "$f" -b 24 "$corpus/sox/$(basename "$f")" silence 1 0.01 -96d reverse silence 1 0.01 -96d reverse norm -0.1
  done
}
cpall() { mkdir -p "$corpus/cp" && cp "$corpus"/src/take*.wav "$corpus/cp/"; }
export -f soxall cpall clean
export corpus

cat "$corpus"/src/take*.wav > /dev/null  # warm the page cache
hyperfine --shell=bash --warmup 1 --runs "${RUNS:-3}" --prepare clean \
  -n tacetix-cli "$cli --quiet --begin -96 --normalize -0.1 --bits 24 --subfolder out $corpus/src/take*.wav" \
  -n sox soxall \
  -n cp cpall

echo "Peak memory (maximum resident set size, kB):"
clean
/usr/bin/time -f "  tacetix-cli, $count files: %M" "$cli" --quiet --begin -96 --normalize -0.1 --bits 24 \
  --subfolder out "$corpus"/src/take*.wav
clean
/usr/bin/time -f "  tacetix-cli, 1 file: %M" "$cli" --quiet --begin -96 --normalize -0.1 --bits 24 \
  --subfolder out "$corpus/src/take1.wav"
clean
