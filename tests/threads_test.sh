#!/usr/bin/env bash
# A million facets through every threaded path, for ThreadSanitizer, which fails the run (exit 66)
# on a data race: the line blocks and the file writer's worker (TEXT), the report's worker (--info),
# the complete wire frame, and two jobs side by side.
#   threads_test.sh <trimora> <grid_stl>
set -euo pipefail
tool=$1
generate=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$generate" 240 big.stl  # about a million facets
"$generate" 2 small.stl
run() {
  echo "trimora $*"
  "$tool" "$@" >console.txt 2>&1 || { tail -n 40 console.txt; exit 1; }
}
run big text
run -q --info big.stl
run -q -f wire --all-edges -o all.kpf big.stl
run -q -j 2 small.stl big.stl
grep -q '^\$ nfacet = ' big.kpf
echo "every threaded path ran without a race"
