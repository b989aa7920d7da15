#!/usr/bin/env bash
# Peak memory does not grow with the input or its report, and the run time grows no faster than the input.
#   bounds_test.sh <trimora> <grid_stl> [--sanitized]
# Exit 77 (skipped) without /usr/bin/time, and in a sanitizer build, whose
# memory and speed say nothing about the tool's.
set -euo pipefail
tool=$1
generate=$2
if [ "${3:-}" = --sanitized ]; then
  echo "skipped: sanitizer build"
  exit 77
fi
if [ ! -x /usr/bin/time ]; then
  echo "skipped: no /usr/bin/time"
  exit 77
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
for mb in 1 10 100; do "$generate" "$mb" "grid$mb.stl"; done

# Peak resident memory in KiB of one run; a run that reports problems counts as well.
peak_kib() {
  /usr/bin/time -f %M -o peak.txt "$tool" "$@" >/dev/null 2>&1 || true
  tail -n 1 peak.txt
}

# Best of three wall-clock times in microseconds; the console goes nowhere,
# since a large wire frame reports every edge past the line list's end.
best_us() {
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    "$tool" "$@" >/dev/null
    end=$(date +%s%N)
    local us=$(((end - start) / 1000))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}

failed=0
for form in text wire; do
  small=$(peak_kib grid1 "$form")
  large=$(peak_kib grid100 "$form")
  echo "$form: peak memory $small KiB for 1 MB, $large KiB for 100 MB"
  if [ $((large - small)) -gt 1024 ] || [ $((small - large)) -gt 1024 ]; then
    echo "FAIL: peak memory grows with the input ($form)"
    failed=1
  fi

  t10=$(best_us grid10 "$form")
  t100=$(best_us grid100 "$form")
  # Time per MB of the large input against the small one, in hundredths.
  ratio=$((t100 * 100 / (t10 * 10)))
  echo "$form: ${t10} us for 10 MB, ${t100} us for 100 MB; time per MB ratio $((ratio / 100)).$(printf %02d $((ratio % 100)))"
  if [ "$ratio" -gt 300 ]; then
    echo "FAIL: time per MB of the 100 MB input is more than 3 times that of the 10 MB input ($form)"
    failed=1
  fi
done

# A report never needs memory in proportion to its length: a file of bad lines
# reports every one of them, held while an earlier job runs, streamed after.
for mb in 1 40; do
  # yes ends by SIGPIPE once head has its bytes.
  yes 'frobnicate 1 2 3' | head -c $((mb * 1024 * 1024)) >"bad$mb.stl" || true
done
small=$(peak_kib -q -j 2 grid10.stl bad1.stl)
large=$(peak_kib -q -j 2 grid10.stl bad40.stl)
echo "reports: peak memory $small KiB with a 1 MB file of bad lines, $large KiB with 40 MB"
if [ $((large - small)) -gt 4096 ]; then
  echo "FAIL: peak memory grows with the length of a report"
  failed=1
fi
exit $failed
