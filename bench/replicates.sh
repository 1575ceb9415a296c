#!/usr/bin/env bash
# make bench: scripted replicates.
# 1. The dialogue's generator: 20 replicates of a sparse clustered set, run
#    with --jobs 1 and --jobs 2; the files of both runs must be the same, and
#    on two free cores the second run should take about half the time (a
#    ratio of 1.8 or more). Together they pass the generator's cycle, so the
#    run says how many pairs of them share draws.
# 2. The Philox generator, sampled directly: 99 replicates of the engine
#    benchmark's S3 and S4 on one thread, the time per pattern, and beside it
#    spatstat's rThomas (S3) and rMatClust (S4) for the same patterns (the
#    same window, parents and offspring per parent; S4's conic clusters are
#    closest to Matérn's uniform discs) in the same run, where R with
#    spatstat is installed. The goal: no slower per pattern than rThomas.
set -eu
program=$(realpath "${1:-build-bench/sparsim}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each set is about 4 x 10^8 candidates (as the engine benchmark's S3), so
# that the sets, not the start of the threads, take the time.
set_options=(generate --rect 0,0,1000,1000 --points 10000 --clusters 5 --radius 2
             --model normal --seed 2024 --replicates 20 --quiet --allow-shared-stream)

seconds() { date +%s.%N; }
elapsed() { awk -v end="$(seconds)" -v start="$1" 'BEGIN { print end - start }'; }

run() {
  local jobs=$1 start
  mkdir "$work/jobs$jobs"
  start=$(seconds)
  "$program" "${set_options[@]}" --jobs "$jobs" -o "$work/jobs$jobs/r{n}.adf" 2> "$work/jobs$jobs.err"
  elapsed "$start"
}

one=$(run 1)
two=$(run 2)
diff -r "$work/jobs1" "$work/jobs2" > /dev/null || { echo "the files differ with --jobs"; exit 1; }
echo "Scripted replicates: 20 sets of 10000 points in 5 normal clusters (S.D. 2) on 1000 x 1000"
awk -v one="$one" -v two="$two" \
  'BEGIN { printf "  --jobs 1 %8.2f s\n  --jobs 2 %8.2f s   ratio %.2f (same files)\n", one, two, one / two }'
sed 's/^sparsim generate: /  /' "$work/jobs1.err"

# The Philox rows: 99 replicates on one thread, written as .ADF files, and
# spatstat's rows for the same patterns, in rounds that alternate the two
# so that both meet the same load; each row shows its best round. Both
# sides are timed in CPU seconds (user and system), which other work on a
# shared machine inflates less than wall-clock time.
rounds=3
s3=(--rect 0,0,1000,1000 --points 10000 --clusters 5 --radius 2 --no-seeds-as-points
    --model normal)
s4=(--circle 2000 --points 10000 --clusters 20 --radius 5 --no-seeds-as-points --model conic)
philox() {
  local name=$1 TIMEFORMAT='%3U %3S'
  shift
  rm -rf "${work:?}/$name" && mkdir "$work/$name"
  { time "$program" generate "$@" --generator philox --seed 2024 --replicates 99 --jobs 1 \
      --quiet -o "$work/$name/r{n}.adf" 2> "$work/$name.err"; } 2> "$work/$name.time"
  awk '{ print $1 + $2 }' "$work/$name.time"
}
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

spatstat=yes
if ! command -v Rscript > /dev/null 2>&1 ||
   ! Rscript -e 'quit(status = !requireNamespace("spatstat", quietly = TRUE))' > /dev/null 2>&1; then
  spatstat=
fi
# spatstat's time for 99 patterns of S3 (rThomas) and of S4 (rMatClust),
# then its version.
spatstat_round() {
  Rscript - << 'EOF'
suppressPackageStartupMessages(library(spatstat))
set.seed(2024)
square <- owin(c(0, 1000), c(0, 1000))
circle <- disc(radius = 1000, centre = c(1000, 1000))
time99 <- function(make) sum(system.time(for (i in 1:99) make())[c("user.self", "sys.self")])
thomas <- time99(function() rThomas(5 / area(square), scale = 2, mu = 2000, win = square))
matern <- time99(function() rMatClust(20 / area(circle), scale = 5, mu = 500, win = circle))
cat(thomas, matern, format(packageVersion("spatstat")), "\n")
EOF
}
p3= p4= thomas= matern= version=
for _ in $(seq $rounds); do
  p3=$(least "$p3" "$(philox s3 "${s3[@]}")")
  p4=$(least "$p4" "$(philox s4 "${s4[@]}")")
  if [ -n "$spatstat" ]; then
    read -r t m version < <(spatstat_round)
    thomas=$(least "$thomas" "$t")
    matern=$(least "$matern" "$m")
  fi
done
for file in "$work"/s3/r*.adf "$work"/s4/r*.adf; do
  [ "$(head -n 1 "$file" | cut -d ' ' -f 1)" = 10000 ] || { echo "$file: not 10000 points"; exit 1; }
done
echo "Philox, sampled directly: 99 replicates of 10000 points on one thread (--jobs 1), CPU time, best of $rounds rounds"
awk -v s3="$p3" -v s4="$p4" 'BEGIN {
  printf "  S3 1000 x 1000, 5 normal clusters, S.D. 2    %8.2f s   %7.4f s a pattern\n", s3, s3 / 99
  printf "  S4 circle 2000, 20 conic clusters, radius 5  %8.2f s   %7.4f s a pattern\n", s4, s4 / 99
}'
if [ -z "$spatstat" ]; then
  echo "  (spatstat's rows skipped: R with spatstat is not installed)"
  exit 0
fi
echo "spatstat $version (one thread), the same patterns in memory, CPU time, best of $rounds rounds taken in turn with the rows above:"
awk -v t="$thomas" -v m="$matern" -v s3="$p3" -v s4="$p4" 'BEGIN {
  printf "  S3 rThomas(kappa = 5e-6, scale = 2, mu = 2000)       %8.2f s   %7.4f s a pattern   sparsim/spatstat %.2f\n", t, t / 99, s3 / t
  printf "  S4 rMatClust(kappa = 6.4e-6, scale = 5, mu = 500)    %8.2f s   %7.4f s a pattern   sparsim/spatstat %.2f\n", m, m / 99, s4 / m
}'
