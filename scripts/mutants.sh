#!/bin/sh
# Mutation check: each small change kept under tests/mutants/ (a plausible slip in the code)
# is applied to a scratch copy of this tree, which is built and put through the quick suite.
# A change the suite lets pass "survived": a place where a fault would go unnoticed. Takes
# minutes, so CI does not run it; see CONTRIBUTING.md for when to.
#
#   scripts/mutants.sh [PATCH...]     default: every tests/mutants/*.patch
#
# MUTANTS_SCRATCH=DIR keeps the copy, its build and the last logs in DIR for a look afterwards.
# Exit status: 0 when every change was killed, 1 when one survived or did not apply.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${MUTANTS_SCRATCH:-}
if [ -z "$scratch" ]; then
  scratch=$(mktemp -d /tmp/tacetix-mutants.XXXXXX)
  trap 'rm -rf "$scratch"' EXIT
fi
[ $# -gt 0 ] || set -- "$root"/tests/mutants/*.patch

# The tree as it is now, committed or not (build folders and ignored files left out). Every
# file gets the time of the copy, so that a build kept from an earlier run sees each change.
rm -rf "$scratch/src"
mkdir -p "$scratch/src"
(cd "$root" && git ls-files -z -co --exclude-standard | tar --null -T - --ignore-failed-read -cf -) |
  tar -xmf - -C "$scratch/src"
cmake -S "$scratch/src" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DTACETIX_GUI=OFF \
  -DTACETIX_TESTS=ON -DTACETIX_BENCH=OFF >"$scratch/configure.log"
cmake --build "$scratch/build" -j2 >"$scratch/build.log" 2>&1 || { echo "the unchanged tree does not build"; exit 1; }

# The quick suite: everything but the slow tests and the package build.
quick() { (cd "$scratch/build" && ctest -j2 -LE 'slow|package' --timeout 300 >"$scratch/test.log" 2>&1); }
quick || { echo "the unchanged tree fails its own tests: see $scratch/test.log"; trap - EXIT; exit 1; }

killed=0 total=0 status=0
for p in "$@"; do
  name=$(basename "$p" .patch)
  total=$((total + 1))
  if ! patch -d "$scratch/src" -p1 --forward --silent <"$p" >/dev/null; then
    echo "not applied  $name"
    status=1
    continue
  fi
  if ! cmake --build "$scratch/build" -j2 >"$scratch/build.log" 2>&1; then
    echo "killed       $name (does not build)"
    killed=$((killed + 1))
  elif quick; then
    echo "SURVIVED     $name"
    status=1
  else
    by=$(sed -n '/tests FAILED:/,$s/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$scratch/test.log" | tr '\n' ' ')
    echo "killed       $name (by ${by% })"
    killed=$((killed + 1))
  fi
  patch -d "$scratch/src" -p1 -R --silent <"$p" >/dev/null
done
echo "$killed of $total killed"
exit $status
