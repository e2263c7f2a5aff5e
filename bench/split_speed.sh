#!/usr/bin/env bash
# The cost of splitting, in alternating runs on the same file, with each job's median:
#   whole        a 10-minute 16-bit stereo take of ten pieces between silences of 2 s, its ends cut
#   split        the same cut into its ten parts at silences of at least 1 s
#   whole-peak   the first normalised to -1 dBFS; split-peak: the same split, one gain for all parts
# Goal: split at most 1.1 times whole, split-peak at most 1.1 times whole-peak.
# Usage: bench/split_speed.sh CLI
# Environment: RUNS (7), CORPUS (/tmp/tacetix-split-corpus).
set -euo pipefail
cli="$(realpath "$1")"
corpus="${CORPUS:-/tmp/tacetix-split-corpus}"
runs="${RUNS:-7}"
mkdir -p "$corpus"

# Ten pieces of 58 s (pink noise with a tone, swelling) between 2 s of digital silence.
take="$corpus/take.wav"
if [ ! -f "$take" ]; then
  ffmpeg -v error -y -f lavfi -i "anoisesrc=c=pink:r=44100:d=58:a=0.2:s=7" -f lavfi -i "sine=f=330:r=44100:d=58" \
    -filter_complex "[0][1]amix=inputs=2,volume='0.6+0.4*sin(t/3)':eval=frame,apad=pad_dur=2,aformat=channel_layouts=stereo" \
    -c:a pcm_s16le "$corpus/piece.wav"
  sox "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" \
    "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" "$corpus/piece.wav" "$take"
  rm -f "$corpus/piece.wav"
fi
out="$corpus/out"

seconds() {  # command...: its wall time, with a fresh output folder
  rm -rf "$out"
  mkdir -p "$out"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

"$cli" -q --split-gap 1000 -o "$out" "$take"
parts=$(ls "$out" | wc -l)
[ "$parts" -eq 10 ] || { echo "expected 10 parts, got $parts" >&2; exit 1; }

declare -A times
jobs=(whole split whole-peak split-peak)
cat "$take" >/dev/null
for _ in $(seq 1 "$runs"); do
  times[whole]+="$(seconds "$cli" -q -o "$out" "$take") "
  times[split]+="$(seconds "$cli" -q --split-gap 1000 -o "$out" "$take") "
  times[whole-peak]+="$(seconds "$cli" -q --normalize -1 -o "$out" "$take") "
  times[split-peak]+="$(seconds "$cli" -q --normalize -1 --split-gap 1000 -o "$out" "$take") "
done
rm -rf "$out"
declare -A med
for j in "${jobs[@]}"; do
  med[$j]=$(tr ' ' '\n' <<<"${times[$j]}" | grep . | median)
  printf '%-11s %6.3f s\n' "$j" "${med[$j]}"
done
printf 'split / whole:           %.2f (goal <= 1.10)\n' "$(echo "${med[split]} / ${med[whole]}" | bc -l)"
printf 'split-peak / whole-peak: %.2f (goal <= 1.10)\n' "$(echo "${med[split-peak]} / ${med[whole-peak]}" | bc -l)"
