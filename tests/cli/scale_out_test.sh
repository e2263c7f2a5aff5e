#!/usr/bin/env bash
# The GNU parallel recipe of docs/scale-out.md for real: a corpus split into 4 shards, the
# run stopped once part way and resumed, then merged; the merged report and log must equal
# those of one run over the whole list, and every output must exist once, as that run made it.
# The recipe's command is read from the page itself, so that the page cannot drift from it.
# Usage: scale_out_test.sh TACETIX_CLI MERGE_REPORTS DOC
set -euo pipefail
cli=$(realpath "$1")
merge=$(realpath "$2")
doc=$(realpath "$3")
export PATH="$(dirname "$cli"):$PATH"
# The page's GNU parallel command as words (it quotes nothing), its shard glob left for below.
read -r -a pageRecipe <<< "$(awk '$0 == "## GNU parallel on this machine" {found = 1; next}
  found && /^```/ {if (inside) exit; inside = 1; next} inside {print}' "$doc" | sed -e 's/\\$//' | tr '\n' ' ')"
[ "${pageRecipe[0]}" = parallel ] && [ "${pageRecipe[-1]}" = 'shard-???' ] ||
  { echo "FAIL: no GNU parallel recipe in $doc: ${pageRecipe[*]}"; exit 1; }
# The shard's options: the words between tacetix-cli and its list.
opts=()
for ((i = 0; i < ${#pageRecipe[@]}; i++)); do [ "${pageRecipe[i]}" = tacetix-cli ] && break; done
for ((i++; i < ${#pageRecipe[@]}; i++)); do
  [ "${pageRecipe[i]}" = -0 ] && break
  opts+=("${pageRecipe[i]}")
done
command -v parallel >/dev/null || { echo "GNU parallel is required (Debian package parallel)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }

# 48 files in three folders: tones with silence around them, files with nothing to cut,
# silent files, a broken one, and names with blanks, quotes, a newline and non-UTF-8 bytes.
python3 - <<'PY'
import math, os, struct, wave
def tone(path, seconds, pad, bits=16, level=0.5):
    width = bits // 8
    rate, n = 44100, int(44100 * seconds)
    frames = bytearray()
    for i in range(n):
        on = pad <= i / rate < seconds - pad
        v = int(level * math.sin(i * 0.05) * (2 ** (bits - 1) - 1)) if on else 0
        frames += struct.pack('<i', v)[:width] * 2
    with wave.open(path, 'wb') as w:
        w.setnchannels(2); w.setsampwidth(width); w.setframerate(rate); w.writeframes(bytes(frames))
for d in (b'corpus/a', b'corpus/b b', b'corpus/c'):
    os.makedirs(d, exist_ok=True)
    for i in range(16):
        name = os.path.join(d, b'%02d' % i + [b'.wav', b' q"t.wav', b'\nnl.WAV', b'\xff.wav'][i % 4])
        kind = i % 8
        if kind == 7 and d == b'corpus/c':
            open(name, 'wb').write(b'RIFF\0\0\0\0WAVE')
        else:
            tone(name.decode('utf-8', 'surrogateescape'), 1.0 + 0.1 * i, 0.0 if kind == 3 else 0.2,
                 bits=24 if kind == 3 else 16, level=0.0 if kind == 5 else 0.5)
PY

find corpus -iname '*.wav' -print0 | sort -z > all.list
[ "${#opts[@]}" -gt 0 ] || fail "no options for tacetix-cli in the page's recipe"

# One run over the whole list, whose outputs are then moved aside.
tacetix-cli "${opts[@]}" -0 --files-from all.list --report single.jsonl --log-short --log single.log || true
find corpus -type d -name trimmed -prune -exec mv {} {}.single \;

# The recipe: shards in list order (numbered as the page numbers them), the page's command on one
# job at a time, so that the stop below falls between shards.
split -n l/4 -t '\0' -d -a 3 all.list shard-
[ "$(ls shard-???)" = "$(printf 'shard-00%s\n' 0 1 2 3)" ] || fail "split did not give 4 shards"
recipe=(parallel -j1 "${pageRecipe[@]:1:${#pageRecipe[@]}-2}" shard-???)
# Stopped as soon as the second shard has started: it is cancelled part way (when it has not
# finished already), the rest never start. parallel passes the stop on to its job and waits for it.
"${recipe[@]}" > parallel1.out 2>&1 &
pid=$!
for _ in $(seq 1 3000); do [ -e shard-001.jsonl ] && break; sleep 0.01; done
kill -TERM "$pid"
wait "$pid" || true
finished=$(tail -n +2 jobs.log | wc -l)
[ "$finished" -ge 1 ] && [ "$finished" -lt 4 ] || fail "the stop did not fall inside the run ($finished jobs done)"
echo "stopped after $finished of 4 shards; shard-01 then: $(tail -n 1 shard-001.jsonl | cut -d, -f1)"
rc=0
"$merge" shard-??? > /dev/null 2> merge1.err || rc=$?
[ "$rc" -eq 2 ] && grep -q "^merge-reports: shard-00[123].jsonl: " merge1.err ||
  fail "merge-reports took the stopped run for a whole one ($rc): $(cat merge1.err)"
complete=0
for shard in shard-???; do
  tail -n 1 "$shard.jsonl" 2>/dev/null | grep -q '"cancelled":false' && complete=$((complete + 1))
done
[ "$(grep -c '^merge-reports: shard-' merge1.err)" -eq $((4 - complete)) ] ||
  fail "merge-reports did not name every unfinished shard ($complete complete): $(cat merge1.err)"
"${recipe[@]}" > parallel2.out 2>&1 || true
[ "$(tail -n +2 jobs.log | cut -f9 | sort | uniq -d)" = "" ] || fail "a shard ran twice to its end"
[ "$(tail -n +2 jobs.log | wc -l)" -eq 4 ] || fail "not every shard ran: $(cat jobs.log)"

"$merge" --report merged.jsonl --log merged.log shard-??? > merged.out || [ $? -eq 1 ] || fail "merge-reports failed"
# The time each file took is the one thing two runs cannot share.
strip() { sed -e 's/,"seconds":[^,}]*}$/}/' "$1"; }
cmp <(strip single.jsonl) <(strip merged.jsonl) || fail "merged report differs: $(diff <(strip single.jsonl) <(strip merged.jsonl) | head -5)"
cmp single.log merged.log || fail "merged log differs"
[ "$(cat merged.out)" = "$(tail -n 1 single.jsonl | python3 -c 'import json,sys; print(json.load(sys.stdin)["summary"])')" ] ||
  fail "summary printed: $(cat merged.out)"

# Every output once: the files in the trimmed folders are the report's outputs, byte for byte
# those of the single run, and nothing else was left there.
python3 - <<'PY' || fail "outputs differ from the single run's"
import json, os, sys
listed = sorted(json.loads(l)['output'].encode('utf-8', 'surrogateescape')
                for l in open('merged.jsonl', 'rb') if b'"output":"' in l)
found = sorted(os.path.abspath(os.path.join(d, f)) for d, _, fs in os.walk(b'corpus') if d.endswith(b'/trimmed') for f in fs)
assert len(listed) == len(set(listed)) == len(found), (len(listed), len(found))
assert listed == sorted(found), 'other files in the output folders'
for f in found:
    single = f.replace(b'/trimmed/', b'/trimmed.single/')
    assert open(f, 'rb').read() == open(single, 'rb').read(), f
summary = json.loads(open('merged.jsonl', 'rb').read().split(b'\n')[-2])
assert summary['outputs'] == len(found) and summary['errors'] == 2 and summary['ok'] == 46, summary
print('outputs:', len(found), summary['statuses'])
PY
echo "PASS: 4 shards stopped after $finished, resumed and merged equal one run over $(tr -cd '\0' < all.list | wc -c) files"
