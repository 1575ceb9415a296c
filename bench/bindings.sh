#!/usr/bin/env bash
# make bench: 99 replicates made by the command line (99 files), by the
# Python package (one array) and by the R package (a solist), with the LCG
# and with Philox, beside
# spatstat's rThomas(nsim = 99) for clusters of the same kind (normal, S.D.
# 3, as many points on average), each the best of 3 runs on every thread:
#
#   bench/bindings.sh BUILD_DIR
#
# A language or package that is missing leaves its column out, with a note.
set -u
build=$(realpath "${1:-build-bench}")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=3

# name|XMIN,YMIN,XMAX,YMAX|points|clusters|side|generator
sets=("99 x 200 points, 10 clusters on 100 x 100|0,0,100,100|200|10|100|lcg"
      "the same, Philox|0,0,100,100|200|10|100|philox"
      "99 x 10000 points, 100 clusters on 1000 x 1000|0,0,1000,1000|10000|100|1000|lcg"
      "the same, Philox|0,0,1000,1000|10000|100|1000|philox")

best_cli() {
  local best= start end took
  for _ in $(seq $runs); do
    rm -rf "$work/cli" && mkdir "$work/cli"
    start=$(date +%s.%N)
    # (The LCG's note on replicates that share stretches of its cycle goes.)
    "$build/sparsim" generate --rect "$1" --points "$2" --clusters "$3" --radius 3 \
      --model normal --seed 2024 --replicates 99 --generator "$4" --quiet \
      -o "$work/cli/r{n}.adf" 2> /dev/null || return 1
    end=$(date +%s.%N)
    took=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    best=$(awk -v a="${best:-$took}" -v b="$took" 'BEGIN { printf "%.3f", (b < a ? b : a) }')
  done
  echo "$best"
}

python=
if [ -f "$build/python/sparsim/__init__.py" ] && /usr/bin/python3 -c 'import numpy' 2> /dev/null; then
  python=/usr/bin/python3
else
  echo "(Python column left out: the module was not built or NumPy is missing)"
fi
r_ok=
if command -v Rscript > /dev/null &&
  Rscript -e 'quit(status = !all(sapply(c("Rcpp", "spatstat.random"), requireNamespace, quietly = TRUE)))' 2> /dev/null &&
  "$root/tools/install_r_package.sh" "$build" > /dev/null; then
  r_ok=1
else
  echo "(R columns left out: R, Rcpp, spatstat or the package's install is missing)"
fi

python_script='
import sys, time
import sparsim
rect, points, clusters, generator, runs = sys.argv[1:6]
best = float("inf")
for _ in range(int(runs)):
    start = time.perf_counter()
    sims = sparsim.generate(rect=tuple(float(v) for v in rect.split(",")), points=int(points),
                            clusters=int(clusters), radius=3, model="normal", seed=2024,
                            replicates=99, generator=generator)
    best = min(best, time.perf_counter() - start)
print(f"{best:.3f}")
'
r_script='
a <- commandArgs(trailingOnly = TRUE)
suppressPackageStartupMessages({ library(sparsim); library(spatstat.random) })
rect <- as.numeric(strsplit(a[1], ",")[[1]])
points <- as.numeric(a[2]); clusters <- as.numeric(a[3]); side <- as.numeric(a[4])
best <- function(f) min(replicate(as.integer(a[6]), system.time(f())[["elapsed"]]))
s <- best(function() sparsim_generate(rect = rect, points = points, clusters = clusters,
                                      radius = 3, model = "normal", seed = 2024, nsim = 99,
                                      generator = a[5]))
t <- best(function() rThomas(kappa = clusters / side^2, scale = 3, mu = points / clusters,
                             win = owin(c(0, side), c(0, side)), nsim = 99))
cat(sprintf("%.3f %.3f\n", s, t))
'

echo "99 replicates of normal clusters (S.D. 3), best of $runs, seconds:"
printf '  %-48s %9s %9s %9s %9s\n' set "CLI files" Python "R sparsim" "R rThomas"
for entry in "${sets[@]}"; do
  IFS='|' read -r name rect points clusters side generator <<< "$entry"
  cli=$(best_cli "$rect" "$points" "$clusters" "$generator") ||
    { echo "the command line failed"; exit 1; }
  py=-
  if [ -n "$python" ]; then
    py=$(PYTHONPATH=$build/python "$python" -c "$python_script" "$rect" "$points" "$clusters" "$generator" "$runs")
  fi
  rs=-
  rt=-
  if [ -n "$r_ok" ]; then
    read -r rs rt < <(R_LIBS=$build/r/lib Rscript -e "$r_script" "$rect" "$points" "$clusters" "$side" "$generator" \
      "$runs")
  fi
  printf '  %-48s %9s %9s %9s %9s\n' "$name" "$cli" "$py" "$rs" "$rt"
done
