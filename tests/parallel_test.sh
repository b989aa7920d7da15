#!/usr/bin/env bash
# Runs the GNU parallel recipes of doc/many-machines.md on this machine, with the machine itself as
# the one ssh login (":"): one file per job, then files in batches, then a retry of the failures.
# Every good file is converted, and the failing ones (one that cannot be opened, one whose report
# ends in the error banner) show in parallel's exit status and in the list made from its job log.
# Skips (77) without GNU parallel.
# Usage: parallel_test.sh <trimora>
set -euo pipefail

trimora=$(realpath "$1")
parallel --version 2>/dev/null | grep '^GNU parallel' >/dev/null || { echo "skip: GNU parallel is not here"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/trimora-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export PATH="$(dirname "$trimora"):$PATH" PARALLEL_HOME="$work/parallel-home"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

triangle='solid t\nfacet normal 0 0 -2\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\nendsolid t\n'
mkdir -p archive/a "archive/b c"
for i in 1 2 3 4; do
  printf "$triangle" > "archive/a/part$i.stl"
  printf "$triangle" > "archive/b c/part $i.stl"
done
printf 'solid x\nbogus\n' > archive/a/bad.stl
{ find archive -name '*.stl' | LC_ALL=C sort; echo archive/gone.stl; } > parts.txt
lines=$(wc -l < parts.txt)
good() {  # every input but the two bad ones has its output, with its facet
  local part
  while IFS= read -r part; do
    case $part in */bad.stl | */gone.stl) continue ;; esac
    grep -q '^\$ nfacet = 1' "${part%.stl}.kpf" || fail "${part%.stl}.kpf was not written"
  done < parts.txt
}
expected_failures=$'archive/a/bad.stl\narchive/gone.stl'

# One file per job: the exit status counts the failed jobs, and each job's sequence number is its
# line in the list.
status=0
parallel --sshlogin : --joblog convert.log --halt never -a parts.txt trimora -q -f text {} \
  > reports.txt || status=$?
[ "$status" -eq 2 ] || fail "parallel exited with $status for two failing files"
good
awk -F'\t' 'NR == FNR { if (FNR > 1) failed[$1] = ($7 != 0); next } failed[FNR]' \
  convert.log parts.txt > failed.txt
[ "$(cat failed.txt)" = "$expected_failures" ] || fail "failed.txt holds: $(cat failed.txt)"
grep -qF 'Cannot open file: [archive/gone.stl]' reports.txt || fail "no report of the missing file"
grep -qF 'Unknown code word [bogus] on line 2' reports.txt || fail "no report of the bad file"
echo "ok: one file per job, $lines files, 2 failures listed"

# Batches of 3 files per job: a failed job's lines hold the failing files, which one call per
# file names.
rm -f archive/*/*.kpf
status=0
parallel --sshlogin : --joblog batches.log --halt never -N 3 -a parts.txt \
  trimora -q -f text -- > /dev/null || status=$?
[ "$status" -eq 2 ] || fail "parallel exited with $status for two failing batches"
good
awk -F'\t' -v n=3 'NR == FNR { if (FNR > 1) failed[$1] = ($7 != 0); next } failed[int((FNR - 1) / n) + 1]' \
  batches.log parts.txt > suspects.txt
# Batches 1 (bad.stl and two good files) and 4 (gone.stl alone) failed.
[ "$(wc -l < suspects.txt)" -eq 4 ] || fail "the failed batches hold $(wc -l < suspects.txt) files, not 4"
status=0
parallel --joblog retry.log --halt never -a suspects.txt trimora -q -f text {} > /dev/null || status=$?
[ "$status" -eq 2 ] || fail "the calls one by one exited with $status"
awk -F'\t' 'NR == FNR { if (FNR > 1) failed[$1] = ($7 != 0); next } failed[FNR]' \
  retry.log suspects.txt > failed.txt
[ "$(cat failed.txt)" = "$expected_failures" ] || fail "failed.txt holds: $(cat failed.txt)"
echo "ok: batches of 3, 2 failed batches, the 2 failures found one by one"

# Repaired files are converted by running the failed jobs of the first log again.
printf "$triangle" > archive/a/bad.stl
printf "$triangle" > archive/gone.stl
parallel --sshlogin : --joblog convert.log --retry-failed > /dev/null || fail "the retry failed"
grep -q '^\$ nfacet = 1' archive/a/bad.kpf && grep -q '^\$ nfacet = 1' archive/gone.kpf ||
  fail "the retry did not convert the repaired files"
echo "ok: the failed jobs run again and succeed"
