#!/usr/bin/env bash
# The recipes of docs/scale-out.md as the page gives them, so that the page cannot drift from what
# is tested: the shard-making find (an earlier run's outputs left out), the Slurm script's body
# with a made-up SLURM_ARRAY_TASK_ID, and the Kubernetes container's command as PID 1 of a PID
# namespace of its own, stopped with SIGTERM: within 2 s, exit 143, no temporary file left, the
# one a killed pod (another host) left an hour ago removed and a fresh one of a running pod kept.
# The image's Dockerfile takes the package whatever its version and runs as no root.
# Usage: scale_out_recipes_test.sh TACETIX_CLI DOC
set -euo pipefail
cliDir=$(dirname "$(realpath "$1")")
doc=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export PATH="$cliDir:$PATH"
# The first code block after the heading (of the language given, if one is), with the page's
# folders moved into the scratch folder.
block() {
  awk -v heading="$1" -v fence="\`\`\`${2:-}" '$0 == heading {found = 1; next}
    inside && /^```/ {exit} inside {print} found && index($0, fence) == 1 {inside = 1}' "$doc" |
    sed -e "s|/archive|$work/archive|g"
}

mkdir -p "$work/archive/a/trimmed" "$work/archive/b" "$work/archive/run"
python3 - "$work/archive" <<'PY'
import struct, sys, wave
def take(path, seconds, rate=48000):
    tone = struct.pack('<hh', 1000, -1000) * int(rate * seconds)
    with wave.open(path, 'wb') as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes(b'\0' * 4000 + tone + b'\0' * 4000)
root = sys.argv[1]
for name in ('a/1.wav', 'a/2.WAV', 'a/trimmed/1.wav', 'b/3.wav'):
    take(f'{root}/{name}', 0.2)
# Three hours of stereo that cost no disk: a sample of sound at each end and a hole between, so
# the whole of it is kept and written, which takes long enough to be stopped in the middle.
data = 2_000_000_000
with open(f'{root}/b/long.wav', 'wb') as f:
    f.write(b'RIFF' + struct.pack('<I', 36 + data) + b'WAVEfmt ' +
            struct.pack('<IHHIIHH', 16, 1, 2, 48000, 192000, 4, 16) + b'data' + struct.pack('<I', data))
    f.write(struct.pack('<hh', 1000, -1000))
    f.seek(44 + data - 4)
    f.write(struct.pack('<hh', 1000, -1000))
PY
cd "$work/archive/run"

# Making the shards: the earlier output a/trimmed/1.wav is no source.
bash -euo pipefail -c "$(block '## Making the shards')"
tr '\0' '\n' < all.list | grep -q '/trimmed/' && fail "find took an earlier run's output: $(tr '\0' '\n' < all.list)"
[ "$(tr -cd '\0' < all.list | wc -c)" -eq 4 ] || fail "find listed $(tr '\0' '\n' < all.list)"
first=$(for s in shard-???; do [ -s "$s" ] && { echo "${s#shard-}"; break; }; done)

# The Slurm script's body for the first shard that holds files.
rc=0
SLURM_ARRAY_TASK_ID=$((10#$first)) bash "$(block '## Slurm: an array job' > slurm.sh && echo slurm.sh)" || rc=$?
[ "$rc" -eq 0 ] || fail "the Slurm task exited $rc"
tail -n 1 "shard-$first.jsonl" | grep -q '"cancelled":false' || fail "the Slurm task's report is unfinished"

# The container's command as PID 1, on a shard of the long file and a short one, stopped once the
# long one's output is begun.
printf '%s\0' "$work/archive/b/long.wav" "$work/archive/b/3.wav" > shard-900
mkdir -p "$work/archive/b/trimmed"
killedPod="$work/archive/b/trimmed/.3.wav.tacetix-17@tacetix-900-x7k2p-Ab12Cd"
runningPod="$work/archive/b/trimmed/.3.wav.tacetix-17@tacetix-900-q9z4m-Ab12Cd"
touch -d '61 minutes ago' "$killedPod"
touch -d '59 minutes ago' "$runningPod"
mapfile -d '' entry < <(block '## Kubernetes: a Job with indexed completions' yaml | python3 -c '
import sys, yaml
def first(node, key):  # the first value of key, depth first: the containers of the pod template
    if isinstance(node, dict):
        if key in node: return node[key]
        node = list(node.values())
    for child in node if isinstance(node, list) else []:
        found = first(child, key)
        if found is not None: return found
    return None
trim = first(yaml.safe_load(sys.stdin), "containers")[0]
sys.stdout.write("".join(part + "\0" for part in trim["command"] + trim["args"]))')
[ "${#entry[@]}" -eq 3 ] || fail "the container's command is not sh -c SCRIPT: ${entry[*]}"
namespace=(--pid --fork)
[ "$(id -u)" -eq 0 ] || namespace=(--user --map-root-user "${namespace[@]}")
JOB_COMPLETION_INDEX=900 unshare "${namespace[@]}" "${entry[@]}" &
outer=$!
for _ in $(seq 1 1000); do
  compgen -G "$work/archive/b/trimmed/.long.wav.tacetix-*" > /dev/null && break
  sleep 0.01
done
pid1=$(pgrep -P "$outer") || fail "no process in the namespace"
[ "$(tr '\0' ' ' < "/proc/$pid1/cmdline")" = "$(printf '%s ' tacetix-cli -q -k --overwrite --subfolder trimmed \
  --begin -60 --bits 24 --clean-temporaries 60 -0 --files-from shard-900 --report shard-900.jsonl --log-short \
  --log shard-900.log)" ] ||
  fail "PID 1 is not tacetix-cli: $(tr '\0' ' ' < "/proc/$pid1/cmdline")"
start=$(date +%s%N)
kill -TERM "$pid1"
rc=0
wait "$outer" || rc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$rc" -eq 143 ] || fail "the stopped container exited $rc, not 143"
[ "$elapsed" -lt 2000 ] || fail "the container took $elapsed ms to stop"
leftovers=$(find "$work/archive" -name '.*.tacetix-*' ! -path "$runningPod")
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"
[ -f "$runningPod" ] || fail "a running pod's temporary file was removed"
tail -n 1 shard-900.jsonl | grep -q '"cancelled":true' || fail "the stopped shard's report is not closed"
# The image: the package cpack makes, of any version, and a user that is not root.
dockerfile=$(block '## Kubernetes: a Job with indexed completions' dockerfile)
for pattern in $(sed -n 's/^COPY \([^ ]*\) .*/\1/p' <<<"$dockerfile") \
  $(grep -o '/tmp/[^ ]*\.deb' <<<"$dockerfile"); do
  # shellcheck disable=SC2053 # the recipe's name is a pattern
  [[ "tacetix-cli_2.0~rc1+git20261208.1a2b3c4-1_arm64.deb" == ${pattern#/tmp/} ]] ||
    fail "the Dockerfile's $pattern is not any version's package"
done
user=$(sed -n 's/^USER \(.*\)/\1/p' <<<"$dockerfile" | tail -n 1)
[ -n "$user" ] && [[ ! "$user" =~ ^(root|0)(:|$) ]] || fail "the image runs as root: USER '${user}'"

echo "recipes ok: shards from find, Slurm task of shard-$first, container stopped in $elapsed ms"
