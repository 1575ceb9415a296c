#!/usr/bin/env bash
# make bench: scripted replicates on one thread and on two, side by side.
# 20 replicates of a sparse clustered set, run with --jobs 1 and --jobs 2;
# the files of both runs must be the same, and on two free cores the second
# run should take about half the time (a ratio of 1.8 or more).
set -eu
program=$(realpath "${1:-build-bench/sparsim}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each set is about 4 x 10^8 candidates (as the engine benchmark's S3), so
# that the sets, not the start of the threads, take the time.
set_options=(generate --rect 0,0,1000,1000 --points 10000 --clusters 5 --radius 2
             --model normal --seed 2024 --replicates 20 --quiet)

run() {
  local jobs=$1 start end
  mkdir "$work/jobs$jobs"
  start=$(date +%s.%N)
  "$program" "${set_options[@]}" --jobs "$jobs" -o "$work/jobs$jobs/r{n}.adf"
  end=$(date +%s.%N)
  awk -v end="$end" -v start="$start" 'BEGIN { print end - start }'
}

one=$(run 1)
two=$(run 2)
diff -r "$work/jobs1" "$work/jobs2" > /dev/null || { echo "the files differ with --jobs"; exit 1; }
echo "Scripted replicates: 20 sets of 10000 points in 5 normal clusters (S.D. 2) on 1000 x 1000"
awk -v one="$one" -v two="$two" \
  'BEGIN { printf "  --jobs 1 %8.2f s\n  --jobs 2 %8.2f s   ratio %.2f (same files)\n", one, two, one / two }'
