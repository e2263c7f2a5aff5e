#!/usr/bin/env bash
# Times two builds of tacetix-cli on the jobs of cli_vs_sox.sh, in alternating runs so that
# whatever else the machine does weighs on both alike, and prints each job's median per build.
#   main     16-bit stereo, trim at -96 dBFS, normalise to -0.1 dBFS, write 24 bits
#   trim16   16-bit stereo, trim at -96 dBFS only
#   24to16   24-bit stereo, trim at -96 dBFS, write 16 bits
# Usage: bench/compare_speed.sh REFERENCE_CLI CANDIDATE_CLI
# Environment: COUNT (4) files of MINUTES (10) minutes, RUNS (9), CORPUS (/tmp/tacetix-speed-corpus).
set -euo pipefail
ref="$(realpath "$1")"
cand="$(realpath "$2")"
corpus="${CORPUS:-/tmp/tacetix-speed-corpus}"
count="${COUNT:-4}"
minutes="${MINUTES:-10}"
runs="${RUNS:-9}"

# True digital silence at both ends (sox -D: no dither), so that every file is trimmed.
for bits in 16 24; do
  mkdir -p "$corpus/src$bits"
  for i in $(seq 1 "$count"); do
    f="$corpus/src$bits/take$i.wav"
    [ -f "$f" ] || sox -D -n -r 44100 -c 2 -b "$bits" "$f" synth $((minutes * 60)) sine $((200 + 50 * i)) gain -8 pad 5 5
  done
done
out="$corpus/out"

seconds() {  # command...: its wall time, with a fresh output folder
  rm -rf "$out"
  mkdir -p "$out"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  rm -rf "$out"
  echo "scale=3; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for job in "main:16:--begin -96 --normalize -0.1 --bits 24" "trim16:16:--begin -96" "24to16:24:--begin -96 --bits 16"; do
  IFS=: read -r name bits opts <<< "$job"
  cat "$corpus/src$bits"/*.wav > /dev/null  # both builds start from a warm page cache
  r=()
  c=()
  for _ in $(seq 1 "$runs"); do
    # shellcheck disable=SC2086
    r+=("$(seconds "$ref" --quiet $opts --output-dir "$out" "$corpus/src$bits"/take*.wav)")
    # shellcheck disable=SC2086
    c+=("$(seconds "$cand" --quiet $opts --output-dir "$out" "$corpus/src$bits"/take*.wav)")
  done
  printf '%-7s reference %s s   candidate %s s   (median of %d alternating runs)\n' "$name" \
    "$(printf '%s\n' "${r[@]}" | median)" "$(printf '%s\n' "${c[@]}" | median)" "$runs"
done
