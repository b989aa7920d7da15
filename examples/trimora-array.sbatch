#!/bin/bash
# A Slurm job array over a list of STL files (one path per line): task N converts the lines
# N*CHUNK+1 to (N+1)*CHUNK of the list with one trimora call on the task's cores. A task whose
# call fails lists its failing files in failed/N.txt and ends with trimora's exit status, so that
# Slurm marks it FAILED. See doc/many-machines.md.
#   lines=$(wc -l < parts.txt)
#   sbatch --array=0-$(( (lines - 1) / 1000 ))%100 trimora-array.sbatch parts.txt 1000
#SBATCH --job-name=trimora
#SBATCH --cpus-per-task=4
#SBATCH --output=trimora-%A_%a.out
set -u
list=$1
chunk=${2:-1000}
task=${SLURM_ARRAY_TASK_ID:?submit with sbatch --array}
first=$((task * chunk + 1))
mapfile -t parts < <(sed -n "${first},$((first + chunk - 1))p" "$list")
[ ${#parts[@]} -gt 0 ] || exit 0

status=0
trimora -q -j "${SLURM_CPUS_PER_TASK:-1}" -f text -- "${parts[@]}" || status=$?
if [ "$status" -eq 1 ]; then
  # Some file failed: one call per file tells which (a call costs a few milliseconds).
  mkdir -p failed
  for part in "${parts[@]}"; do
    trimora -q -f text -- "$part" >/dev/null 2>&1 || printf '%s\n' "$part"
  done > "failed/$task.txt"
fi
exit "$status"
