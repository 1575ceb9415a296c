#!/usr/bin/env bash
# Writes a fixed corpus of the program's output files into a folder, so that
# two builds (another machine, another compiler, an emulated processor) can
# be compared byte for byte: generated sets of every site shape, model and
# awkward size, with their CSV, GeoJSON and SVG exports; walks of some of
# them; and the dialogues of the end-to-end cases, each with its screen and
# the files it leaves.
#
#   tools/corpus.sh OUT PROGRAM [COMMAND...]
# runs COMMAND... PROGRAM for each step, e.g.
#   tools/corpus.sh corpus-native build/sparsim
#   tools/corpus.sh corpus-arm build-aarch64/sparsim qemu-aarch64 -L /usr/aarch64-linux-gnu
#   cmp -s or diff -r the two folders (tools/check_cross.sh does all this).
# SPARSIM_KERNEL, when set, applies to every run. Prints the number of files
# written; fails when a step fails.
set -u
if [ $# -lt 2 ]; then
  echo "usage: tools/corpus.sh OUT PROGRAM [COMMAND...]" >&2
  exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
program=$(realpath "$2")
shift 2
run=("$@" "$program")
failures=0
step() {  # step LABEL ARGS...: one run of the program in $out
  local label=$1
  shift
  if ! (cd "$out" && "${run[@]}" "$@" > /dev/null 2> "$out/.last_error"); then
    echo "corpus: $label failed: $(head -c 300 "$out/.last_error")" >&2
    failures=$((failures + 1))
  fi
}

# Sets: every model on sites of ordinary and awkward sizes, clustered and
# centred, points as seeds or not, by count and by density.
# Each site with the size of its clusters' radius, so that no set needs
# hours of candidates. The normal model's density (a probability density,
# not scaled to a peak of 1) suits clusters of radius 1 to 4 only; elsewhere
# its place is taken by the conic model.
sites=(
  "--circle 20|1"
  "--circle 2000 --centre 1000,1000|40"
  "--rect 0,0,100,100|4"
  "--rect -1e3,-3,2.5e3,7.25|0.9"
  "--circle 3e-7 --centre -1e-5,2e-5|1e-8"
  "--rect 1e29,-1e30,1e30,1e30|3e28"
  "--circle 1e30|2e28"
)
models=(U H C S N)
# Beside each, the same with the Philox generator, sampled directly: every
# model (the normal on every site, since its cost no longer follows the
# site's area), two replicates each.
n=0
for entry in "${sites[@]}"; do
  site=${entry%|*}
  scale=${entry#*|}
  for model in "${models[@]}"; do
    n=$((n + 1))
    lcg_model=$model
    if [ "$model" = N ] && ! awk -v s="$scale" 'BEGIN { exit !(s >= 0.5 && s <= 4) }'; then
      lcg_model=C
    fi
    seeds=$([ $((n % 2)) = 0 ] && echo --seeds-as-points || echo --no-seeds-as-points)
    radius=$(awk -v n=$n -v s="$scale" 'BEGIN { printf "%.6g", s * (0.5 + 0.37 * (n % 5)) }')
    # shellcheck disable=SC2086
    step "set $n" generate $site --points $((100 + 13 * n)) --clusters $((1 + n % 23)) \
      --radius "$radius" --model "$lcg_model" $seeds --seed $((1000 + 17 * n)) -o "set$n.adf" --quiet
    # shellcheck disable=SC2086
    step "philox $n" generate $site --points $((150 + 11 * n)) --clusters $((1 + n % 23)) \
      --radius "$radius" --model "$model" --no-seeds-as-points --generator philox \
      --seed $((2000 + 31 * n)) --replicates 2 -o "philox${n}_{n}.adf" --quiet
  done
  n=$((n + 1))
  # shellcheck disable=SC2086
  step "set $n" generate $site --points 300 --centred --model "${models[$((n % 5))]}" \
    --seed -$((99 + n)) -o "set$n.adf" --quiet
  # shellcheck disable=SC2086
  step "philox $n" generate $site --points 300 --centred --model "${models[$((n % 5))]}" \
    --generator philox --seed -$((77 + n)) -o "philox$n.adf" --quiet
done
step "philox csr" generate --circle 50 --points 500 --csr --poisson --generator philox \
  --seed 9 --replicates 2 -o "philox_csr{n}.adf" --quiet
step "density" generate --rect 0,0,40,25 --density 1.7 --clusters 9 --radius 2 --model N \
  --seed 4242 -o density.adf --quiet
step "replicates" generate --circle 500 --points 400 --clusters 30 --radius 4 --model C \
  --seed 77 --replicates 3 -o "replicate{n}.adf" --quiet
step "sparse rectangle" generate --rect 0,0,1000,1000 --points 200 --clusters 5 --radius 2 \
  --model N --seed 12345 -o sparse_rectangle.adf --quiet
step "sparse circle" generate --circle 2000 --points 200 --clusters 20 --radius 5 --model C \
  --seed 12345 -o sparse_circle.adf --quiet

# Exports of every set.
for file in "$out"/*.adf; do
  name=$(basename "$file" .adf)
  step "$name csv" export --csv "$name.adf" -o "$name.csv"
  step "$name geojson" export --geojson "$name.adf" -o "$name.geojson"
  step "$name multipoint" export --geojson --multipoint "$name.adf" -o "$name.multi.geojson"
  step "$name svg" export --svg "$name.adf" -o "$name.svg"
done
step "geojson centre" export --geojson --centre 3.25,-7.5 set1.adf -o centred_site.geojson

# Walks: short and long steps, several passes.
w=0
for name in set1 set3 set9 set13 set17 set22 set27 sparse_circle; do
  for step_length in 0.5 40; do
    w=$((w + 1))
    step "walk $w" walk "$name.adf" --max-step $step_length --steps $((10 + 7 * w)) \
      --passes $((1 + w % 3)) --seed $((500 + w)) -o "walk${w}_{pass}.out" --quiet
  done
done

# Dialogues: the end-to-end cases that need no special setting, each in its
# own folder with its screen.
for case_dir in "$source_dir"/tests/e2e/cases/*/; do
  name=$(basename "$case_dir")
  [ -f "$case_dir/answers" ] || continue
  [ -e "$case_dir/setup.sh" ] || [ -e "$case_dir/limits" ] || [ -e "$case_dir/unprivileged" ] &&
    continue
  folder=$out/dialogue_$name
  mkdir -p "$folder"
  [ -d "$case_dir/before" ] && cp -R "$case_dir/before/." "$folder/"
  (cd "$folder" && "${run[@]}" < "$case_dir/answers" > screen.txt 2> /dev/null)
  # The seed taken from the clock differs from run to run.
  if [ -f "$case_dir/stdout.sed" ]; then
    sed -f "$case_dir/stdout.sed" "$folder/screen.txt" > "$folder/screen.masked"
    rm "$folder/screen.txt"
  fi
done
rm -f "$out/.last_error"
echo "corpus: $(find "$out" -type f | wc -l) files in $out"
[ $failures = 0 ]
