#!/usr/bin/env bash
# Runs the Slurm array job script of examples/ as Slurm would run its tasks, one after the other
# with SLURM_ARRAY_TASK_ID set: every good file is converted, a task with a failing file (one that
# cannot be opened, one whose report ends in the error banner) ends with status 1 and lists it.
# Usage: slurm_array_test.sh <trimora> <job script>
set -euo pipefail

trimora=$(realpath "$1")
script=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/trimora-slurm.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export PATH="$(dirname "$trimora"):$PATH" SLURM_CPUS_PER_TASK=2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

triangle='solid t\nfacet normal 0 0 -2\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\nendsolid t\n'
mkdir -p archive/a "archive/b c"
for i in 1 2 3; do
  printf "$triangle" > "archive/a/part$i.stl"
  printf "$triangle" > "archive/b c/part $i.stl"
done
printf 'solid x\nbogus\n' > archive/a/bad.stl
{ find archive -name '*.stl' | LC_ALL=C sort; echo archive/gone.stl; } > parts.txt
# Tasks of 3 lines: task 0 holds bad.stl (line 1), task 2 gone.stl (line 8), task 3 no line.
expected=(1 0 1 0)
for task in 0 1 2 3; do
  status=0
  SLURM_ARRAY_TASK_ID=$task bash "$script" parts.txt 3 > "task$task.out" 2>&1 || status=$?
  [ "$status" -eq "${expected[$task]}" ] || fail "task $task ended with $status, not ${expected[$task]}"
done
while IFS= read -r part; do
  case $part in */bad.stl | */gone.stl) continue ;; esac
  grep -q '^\$ nfacet = 1' "${part%.stl}.kpf" || fail "${part%.stl}.kpf was not written"
done < parts.txt
[ "$(cat failed/0.txt)" = archive/a/bad.stl ] || fail "failed/0.txt holds: $(cat failed/0.txt)"
[ "$(cat failed/2.txt)" = archive/gone.stl ] || fail "failed/2.txt holds: $(cat failed/2.txt)"
[ ! -e failed/1.txt ] && [ ! -e failed/3.txt ] || fail "a task without failures listed some"
grep -qF 'Unknown code word [bogus] on line 2' task0.out || fail "task 0 does not report the bad file"
echo "ok: 4 tasks of 3 files, the 2 failures listed by their tasks"
