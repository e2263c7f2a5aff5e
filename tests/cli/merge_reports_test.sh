#!/usr/bin/env bash
# merge-reports on shards it must refuse: each row is a shard's report and the exit status
# wanted; a refusal is status 2 with one line per problem and no traceback, and writes nothing.
# Usage: merge_reports_test.sh MERGE_REPORTS
set -uo pipefail
merge=$(realpath "$1")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

summary='{"summary":"1 file processed ok","files":1,"ok":1,"errors":0,"not_started":0,"cancelled":false,"simulated":false,"statuses":{"done":1},"outputs":1,"unchanged":0,"silent":0,"seconds":0.5}'
record='{"input":"a.wav","status":"done"}'
good() { printf '%s\n%s\n' "$record" "$summary" > "$1.jsonl"; }
# A good shard's report with one summary field replaced.
with() { printf '%s\n%s\n' "$record" "$(sed -e "s/$2/$3/" <<< "$summary")" > "$1.jsonl"; }

# expect STATUS PROBLEM_LINES ARGS...: the status, and how many lines stderr holds.
expect() {
  local status=$1 lines=$2 rc=0
  shift 2
  rm -f merged.jsonl
  "$merge" --report merged.jsonl "$@" > out 2> err || rc=$?
  [ "$rc" -eq "$status" ] || fail "$*: status $rc, wanted $status: $(cat err)"
  grep -q Traceback err && fail "$*: traceback: $(cat err)"
  [ "$(wc -l < err)" -eq "$lines" ] || fail "$*: $(wc -l < err) lines on stderr, wanted $lines: $(cat err)"
  if [ "$status" -eq 2 ] && [ -e merged.jsonl ]; then fail "$*: merged although refused"; fi
}

good ok
expect 0 0 ok
with missingkey '"cancelled":false,' ''
expect 2 1 ok missingkey
with textcount '"ok":1' '"ok":"1"'
expect 2 1 textcount
with boolcount '"errors":0' '"errors":false'
expect 2 1 boolcount
with badstatuses '"statuses":{"done":1}' '"statuses":{"done":"1"}'
expect 2 1 badstatuses
printf '%s\n"summary"\n' "$record" > stringsummary.jsonl
expect 2 1 stringsummary
printf '%s\n[1]\n' "$record" > listsummary.jsonl
expect 2 1 listsummary
printf '\xff\xfe\n' > binary.jsonl
expect 2 1 binary
mkdir folder.jsonl
expect 2 1 folder
good unreadable && chmod 000 unreadable.jsonl
[ "$(id -u)" -eq 0 ] || expect 2 1 unreadable
# The same shard twice, also through another path: refused rather than counted twice.
expect 2 1 ok ok
expect 2 1 ok ./ok
mkdir sub && good sub/ok
expect 0 0 ok sub/ok
# Two broken shards: both named.
expect 2 2 missingkey textcount
# The merged report cannot be written.
mkdir ro && chmod 555 ro
rc=0
"$merge" --report ro/merged.jsonl ok > out 2> err || rc=$?
[ "$(id -u)" -eq 0 ] || { [ "$rc" -eq 2 ] && [ "$(wc -l < err)" -eq 1 ] && ! grep -q Traceback err; } ||
  fail "unwritable report: status $rc: $(cat err)"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: merge-reports refuses broken and repeated shards with status 2"
