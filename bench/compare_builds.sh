#!/usr/bin/env bash
# Runs two builds of tacetix-cli over the same varied corpus with many option sets and
# compares every output file, log (date lines aside), printed line and exit status.
# Usage: bench/compare_builds.sh REFERENCE_CLI CANDIDATE_CLI [WORK_FOLDER]
# Extra arguments for the candidate only (e.g. a job count) go in CANDIDATE_ARGS.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
ref="$(realpath "$1")"
cand="$(realpath "$2")"
work="${3:-/tmp/tacetix-compare}"
read -r -a candArgs <<< "${CANDIDATE_ARGS:-}"

rm -rf "$work"
mkdir -p "$work/corpus"
python3 "$here/identity_corpus.py" "$work/corpus"
files=("$work"/corpus/*.wav)
echo "${#files[@]} input files"

optionSets=(
  ""
  "--begin -96 --normalize -0.1 --bits 24"
  "--begin -96"
  "--begin -50 --end -30 --normalize -3 --bits 16"
  "--no-trim-begin --no-trim-end --create-unchanged"
  "--normalize 0 --bits 8"
  "--normalize -6 --bits 12 --log-decimal-comma"
  "--normalize -1 --bits 20 --log-separator tab"
  "--normalize -0.5 --bits 32"
  "--normalize -0.5 --bits 32f --log-short"
  "--normalize -144 --bits 64f"
  "--begin -120 --bits 16 --bits-mode down"
  "--begin -90 --no-trim-end --normalize -2 --bits 24 --bits-mode up"
  "--no-trim-begin --end -80 --normalize 0"
  "--create-unchanged --bits 16 --log-names-only"
  "--create-unchanged --normalize 0"
  "--begin -40 --normalize -0.1 --simulate"
  "--keep 100 --fade 50 --keep-metadata --ignore-clicks 10"
  "--begin -60 --end -40 --keep-begin 20 --keep-end 200 --fade-in 5 --fade-out 30 --ignore-clicks 3 --bits 24"
  "--no-trim-end --keep 30 --fade 10 --normalize -1"
  "--loudness -23 --true-peak -1 --bits 16 --dither tpdf"
  "--normalize -1 --bits 16 --dither shaped"
  "--loudness -16 --bits 32f --bits-mode down --keep-metadata"
  "--begin -70 --bits 32 --bits-mode up --dither shaped"
)

runSet() {  # cli, set index, destination
  local cli="$1" index="$2" dest="$3"; shift 3
  local -a opts
  read -r -a opts <<< "${optionSets[$index]}"
  rm -rf "$work/run"
  mkdir -p "$work/run"
  local rc=0
  "$cli" "$@" --keep-going --output-dir "$work/run/out" --log "$work/run/run.log" "${opts[@]}" -- "${files[@]}" \
    > "$work/run/stdout" 2> "$work/run/stderr" || rc=$?
  echo "$rc" > "$work/run/status"
  # The start and end lines carry the time of the run.
  sed -i -e 's/^\(start\|end\) processing .*/\1 processing (date)/' "$work/run/run.log"
  mv "$work/run" "$dest"
}

for i in "${!optionSets[@]}"; do
  runSet "$ref" "$i" "$work/ref-$i"
  runSet "$cand" "$i" "$work/cand-$i" "${candArgs[@]}"
done

failed=0
outputs=0
for i in "${!optionSets[@]}"; do
  n=$( (find "$work/ref-$i/out" -type f 2>/dev/null || true) | wc -l)
  outputs=$((outputs + n))
  if diff -r "$work/ref-$i" "$work/cand-$i" > "$work/diff-$i.txt"; then
    printf 'same   %3d outputs  set %2d: %s\n' "$n" "$i" "${optionSets[$i]:-(defaults)}"
  else
    failed=1
    printf 'DIFFER %3d outputs  set %2d: %s (see %s)\n' "$n" "$i" "${optionSets[$i]:-(defaults)}" "$work/diff-$i.txt"
  fi
done
echo "$outputs outputs compared over ${#optionSets[@]} option sets"
[ "$failed" -eq 0 ] && echo "all identical" || { echo "differences found"; exit 1; }
