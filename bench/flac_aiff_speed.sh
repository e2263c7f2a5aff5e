#!/usr/bin/env bash
# FLAC and AIFF speed, by processor time (user + system, /usr/bin/time), median of RUNS:
#   flac     FLAC -> FLAC, trim at -96 dBFS and normalise to -0.1 dBFS, one job, against
#            `flac -d` plus `flac -5` of the same file (goal: at most 1.3 x) and against sox
#            doing the same job (goal: at least 3 x faster)
#   aiff     the same job on the AIFF and on the WAV of the same samples (goal: within 10 %)
#   jobs     COUNT FLAC files with -j 2 against -j 1, by wall time (goal: close to 2 x)
# The material is music-like (pink noise under a tremolo and a chord, 5 s of digital silence at
# both ends), 16-bit stereo at 44.1 kHz, MINUTES long.
# Usage: bench/flac_aiff_speed.sh [build folder]
# Environment: MINUTES (10), RUNS (3), COUNT (4), CORPUS (/tmp/tacetix-flac-corpus).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/src/cli/tacetix-cli"
corpus="${CORPUS:-/tmp/tacetix-flac-corpus}"
minutes="${MINUTES:-10}"
runs="${RUNS:-3}"
count="${COUNT:-4}"
mkdir -p "$corpus/out"
src="$corpus/music$minutes"
if [ ! -f "$src.flac" ]; then
  sox -D -n -r 44100 -c 2 -b 16 "$src.wav" synth "$((minutes * 60))" pinknoise synth sine mix 220 synth sine mix 277 \
    tremolo 3 60 gain -6 pad 5 5
  flac -s -5 -f -o "$src.flac" "$src.wav"
  sox "$src.wav" "$src.aiff"
fi
for i in $(seq 1 "$count"); do [ -f "$corpus/batch$i.flac" ] || cp "$src.flac" "$corpus/batch$i.flac"; done

cpu() {  # command...: its user + system seconds, output folder emptied first
  rm -rf "$corpus/out"/* "$corpus/tmp.wav"
  /usr/bin/time -f "%U %S" -o "$corpus/time" "$@" >/dev/null 2>&1
  awk '{print $1 + $2}' "$corpus/time"
}
wall() {
  rm -rf "$corpus/out"/*
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
job=(--begin -96 --normalize -0.1 -o "$corpus/out" -q)
flacTool() { flac -s -d -c "$src.flac" >"$corpus/tmp.wav" && flac -s -5 -f -o "$corpus/out/tool.flac" "$corpus/tmp.wav"; }
soxJob() {
  sox "$src.flac" "$corpus/out/sox.flac" silence 1 0.01 -96d reverse silence 1 0.01 -96d reverse norm -0.1
}
declare -A t
for name in tacetix tool sox aiff wav; do t[$name]=""; done
for _ in $(seq 1 "$runs"); do
  t[tacetix]+="$(cpu "$cli" "${job[@]}" "$src.flac") "
  t[tool]+="$(cpu bash -c "$(declare -f flacTool); src='$src' corpus='$corpus' flacTool") "
  t[sox]+="$(cpu bash -c "$(declare -f soxJob); src='$src' corpus='$corpus' soxJob") "
  t[aiff]+="$(cpu "$cli" "${job[@]}" "$src.aiff") "
  t[wav]+="$(cpu "$cli" "${job[@]}" "$src.wav") "
done
for name in tacetix tool sox aiff wav; do
  m=$(tr ' ' '\n' <<<"${t[$name]}" | grep . | median)
  declare "m_$name=$m"
  printf '%-8s %8.2f s processor time\n' "$name" "$m"
done
echo "FLAC -> FLAC / (flac -d + flac -5): $(echo "scale=2; $m_tacetix / $m_tool" | bc) (goal <= 1.3)"
echo "sox / FLAC -> FLAC:                 $(echo "scale=2; $m_sox / $m_tacetix" | bc) (goal >= 3)"
echo "AIFF / WAV:                         $(echo "scale=2; $m_aiff / $m_wav" | bc) (goal <= 1.10)"
batch=("$corpus"/batch*.flac)
one=$(wall "$cli" "${job[@]}" -j 1 "${batch[@]}")
two=$(wall "$cli" "${job[@]}" -j 2 "${batch[@]}")
echo "-j 1 / -j 2 on $count FLAC files:     $(echo "scale=2; $one / $two" | bc) (goal close to 2; $one s, $two s)"
