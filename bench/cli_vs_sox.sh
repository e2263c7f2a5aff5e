#!/usr/bin/env bash
# Times tacetix-cli against the nearest sox command and against cp of the same inputs, in
# alternating runs, and prints the median of each and the ratios. Three jobs:
#   main     16-bit stereo, trim at -96 dBFS, normalise to -0.1 dBFS, write 24 bits
#   trim16   16-bit stereo, trim at -96 dBFS only (same format out)
#   24to16   24-bit stereo, trim at -96 dBFS, write 16 bits
# The corpus: COUNT files of MINUTES minutes, a sine with 5 s of true digital silence at both
# ends (sox -D: without it sox dithers the pads to +-1 LSB, above -96 dBFS, and nothing would
# be trimmed). A first logged run checks that every file was trimmed at both ends.
#
# Usage: bench/cli_vs_sox.sh [build folder]     (needs sox and /usr/bin/time)
# Environment: COUNT (10), MINUTES (10), RUNS (5), JOBS ("main trim16 24to16"),
#   CORPUS (/tmp/tacetix-bench-corpus), CLI_VARIANTS: ';'-separated sets of extra
#   tacetix-cli arguments, each timed as a command of its own (default: one, no extra
#   arguments), e.g. CLI_VARIANTS='-j 1;-j 2'.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/src/cli/tacetix-cli"
corpus="${CORPUS:-/tmp/tacetix-bench-corpus}"
count="${COUNT:-10}"
minutes="${MINUTES:-10}"
runs="${RUNS:-5}"
jobs="${JOBS:-main trim16 24to16}"
IFS=';' read -r -a variants <<< "${CLI_VARIANTS:-}"
[ "${#variants[@]}" -eq 0 ] && variants=("")

makeCorpus() {  # bits
  local dir="$corpus/src$1"
  mkdir -p "$dir"
  for i in $(seq 1 "$count"); do
    local f="$dir/take$i.wav"
    [ -f "$f" ] || sox -D -n -r 44100 -c 2 -b "$1" "$f" synth "$((minutes * 60))" sine $((200 + 50 * i)) gain -8 pad 5 5
  done
}

# The tacetix-cli options and the sox effects of each job, and its input depth.
jobBits() { case "$1" in 24to16) echo 24 ;; *) echo 16 ;; esac; }
jobCli() {
  case "$1" in
    main) echo "--begin -96 --normalize -0.1 --bits 24" ;;
    trim16) echo "--begin -96" ;;
    24to16) echo "--begin -96 --bits 16" ;;
  esac
}
jobSox() {
  local trim="silence 1 0.01 -96d reverse silence 1 0.01 -96d reverse"
  case "$1" in
    main) echo "-b 24 | $trim norm -0.1" ;;
    trim16) echo "| $trim" ;;
    24to16) echo "-b 16 | $trim" ;;
  esac
}

out="$corpus/out"
clean() { rm -rf "$out"; mkdir -p "$out"; }
runCli() {  # job, variant
  local -a opts extra
  read -r -a opts <<< "$(jobCli "$1")"
  read -r -a extra <<< "$2"
  "$cli" --quiet "${extra[@]}" "${opts[@]}" --output-dir "$out" "$corpus/src$(jobBits "$1")"/take*.wav
}
runSox() {
  local soxJob format effects
  soxJob="$(jobSox "$1")"
  format="${soxJob%%|*}"
  effects="${soxJob#*|}"
  for f in "$corpus/src$(jobBits "$1")"/take*.wav; do
    # shellcheck disable=SC2086
    sox -D "$f" $format "$out/$(basename "$f")" $effects
  done
}
runCp() { cp "$corpus/src$(jobBits "$1")"/take*.wav "$out/"; }

# Seconds taken by one command, outputs cleared before and after.
timed() {
  clean
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null
  end=$(date +%s%N)
  clean
  echo "scale=3; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

checkTrim() {  # job: every record starts after frame 0 and ends before the last frame
  local log="$corpus/check.log"
  clean
  local -a opts
  read -r -a opts <<< "$(jobCli "$1")"
  "$cli" --quiet --log "$log" --log-short "${opts[@]}" --output-dir "$out" "$corpus/src$(jobBits "$1")"/take*.wav
  awk -F';' -v n="$count" 'NR > 1 && NF >= 12 { rows++; if ($6 > 0 && $7 < $5 - 1) cut++ }
    END { if (rows != n || cut != n) { printf "trim check failed: %d of %d files cut\n", cut, rows; exit 1 }
          printf "trim check: all %d files cut at both ends\n", n }' "$log"
  clean
}

for bits in $(for j in $jobs; do jobBits "$j"; done | sort -u); do makeCorpus "$bits"; done
uptime
for job in $jobs; do
  echo
  echo "== $job: tacetix-cli $(jobCli "$job")  |  sox $(jobSox "$job" | tr -d '|')"
  du -sh "$corpus/src$(jobBits "$job")"
  cat "$corpus/src$(jobBits "$job")"/take*.wav > /dev/null  # warm the page cache
  checkTrim "$job"
  declare -A times=()
  for run in $(seq 1 "$runs"); do
    for v in "${!variants[@]}"; do times["cli$v"]+="$(timed runCli "$job" "${variants[$v]}") "; done
    times[sox]+="$(timed runSox "$job") "
    times[cp]+="$(timed runCp "$job") "
  done
  med() { tr ' ' '\n' <<< "${times[$1]}" | grep . | median; }
  soxMedian=$(med sox)
  cpMedian=$(med cp)
  printf '  %-28s median %7.3f s   (runs: %s)\n' "sox" "$soxMedian" "${times[sox]}"
  printf '  %-28s median %7.3f s   (runs: %s)\n' "cp" "$cpMedian" "${times[cp]}"
  for v in "${!variants[@]}"; do
    m=$(med "cli$v")
    printf '  %-28s median %7.3f s   (runs: %s)\n' "tacetix-cli ${variants[$v]}" "$m" "${times[cli$v]}"
    printf '  %-28s %.1fx faster than sox, %.2fx the time of cp\n' "" \
      "$(echo "$soxMedian / $m" | bc -l)" "$(echo "$m / $cpMedian" | bc -l)"
  done
  unset times
done
uptime

echo
echo "Peak memory (maximum resident set size, kB), main job options:"
clean
read -r -a mainOpts <<< "$(jobCli main)"
/usr/bin/time -f "  tacetix-cli, $count files: %M" "$cli" --quiet "${mainOpts[@]}" --output-dir "$out" "$corpus"/src16/take*.wav
clean
/usr/bin/time -f "  tacetix-cli, 1 file: %M" "$cli" --quiet "${mainOpts[@]}" --output-dir "$out" "$corpus/src16/take1.wav"
clean
