#!/usr/bin/env bash
# The cost of loudness normalising and of dither, in alternating runs on the same files, with
# each job's median:
#   peak       16-bit stereo, normalise the peak to -1 dBFS (today's normalising job)
#   loudness   the same file to -16 LUFS with a true-peak ceiling of -1 dBTP
#   loudnorm   ffmpeg's two passes of loudnorm to the same target: measure, then apply
#   24to16     24-bit stereo written as 16 bits (today's conversion)
#   tpdf       the same with triangular dither; shaped: with noise-shaped dither
# Goals: loudness at least 5 times faster than loudnorm; tpdf at most 1.3 times 24to16, shaped
# at most 3 times (its error feedback is a chain per channel; the two of a stereo file overlap).
# Usage: bench/loudness_speed.sh CLI
# Environment: MINUTES (2), RUNS (7), CORPUS (/tmp/tacetix-loudness-corpus).
set -euo pipefail
cli="$(realpath "$1")"
corpus="${CORPUS:-/tmp/tacetix-loudness-corpus}"
minutes="${MINUTES:-2}"
runs="${RUNS:-7}"
mkdir -p "$corpus"

# Music-like: pink noise whose level swells and falls, with a tone above it, and silence around.
for bits in 16 24; do
  f="$corpus/take$bits.wav"
  [ -f "$f" ] || ffmpeg -v error -y -f lavfi -i "anoisesrc=c=pink:r=44100:d=$((minutes * 60)):a=0.2:s=5" \
    -f lavfi -i "sine=f=330:r=44100:d=$((minutes * 60))" \
    -filter_complex "[0][1]amix=inputs=2,volume='0.6+0.4*sin(t/3)':eval=frame,apad=pad_dur=2,adelay=2s:all=1,aformat=channel_layouts=stereo" \
    -c:a "pcm_s${bits}le" "$f"
done
out="$corpus/out"

seconds() {  # command...: its wall time, with a fresh output folder
  rm -rf "$out"
  mkdir -p "$out"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  rm -rf "$out"
  echo "scale=3; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Measure, then apply what was measured, as loudnorm's own documentation has it.
loudnorm() {
  local m
  m="$(ffmpeg -hide_banner -nostats -i "$1" -af loudnorm=I=-16:TP=-1:print_format=json -f null - 2>&1 | tail -12)"
  local i tp lra th off
  i=$(sed -n 's/.*"input_i" : "\(.*\)".*/\1/p' <<<"$m")
  tp=$(sed -n 's/.*"input_tp" : "\(.*\)".*/\1/p' <<<"$m")
  lra=$(sed -n 's/.*"input_lra" : "\(.*\)".*/\1/p' <<<"$m")
  th=$(sed -n 's/.*"input_thresh" : "\(.*\)".*/\1/p' <<<"$m")
  off=$(sed -n 's/.*"target_offset" : "\(.*\)".*/\1/p' <<<"$m")
  ffmpeg -v error -y -i "$1" -af "loudnorm=I=-16:TP=-1:measured_I=$i:measured_TP=$tp:measured_LRA=$lra:measured_thresh=$th:offset=$off:linear=true" \
    -ar 44100 "$out/loudnorm.wav"
}

declare -A times
jobs=(peak loudness loudnorm 24to16 tpdf shaped)
cat "$corpus"/*.wav >/dev/null
for _ in $(seq 1 "$runs"); do
  times[peak]+="$(seconds "$cli" -q --normalize -1 -o "$out" "$corpus/take16.wav") "
  times[loudness]+="$(seconds "$cli" -q --loudness -16 --true-peak -1 -o "$out" "$corpus/take16.wav") "
  times[loudnorm]+="$(seconds loudnorm "$corpus/take16.wav") "
  times[24to16]+="$(seconds "$cli" -q -b 16 -o "$out" "$corpus/take24.wav") "
  times[tpdf]+="$(seconds "$cli" -q -b 16 --dither tpdf -o "$out" "$corpus/take24.wav") "
  times[shaped]+="$(seconds "$cli" -q -b 16 --dither shaped -o "$out" "$corpus/take24.wav") "
done
for job in "${jobs[@]}"; do
  printf '%-9s %s s  (median of %d alternating runs)\n' "$job" "$(tr ' ' '\n' <<<"${times[$job]}" | grep . | median)" "$runs"
done
