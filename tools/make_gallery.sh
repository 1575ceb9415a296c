#!/usr/bin/env bash
# Makes the pictures of the guide to the models (docs/models.md): each
# density model centred on the site and clustered around seeds, and the sets
# the guide's advice refers to. The program makes every set from the same
# random seed in a fresh folder, and the exporter draws it as SVG, so the
# pictures come out the same, byte for byte, every time:
#
#   tools/make_gallery.sh [BUILD_DIR [OUT_DIR]]    (default: build, docs/gallery)
#
# The sets come from `sparsim generate` (the very bytes the dialogue writes
# for the same answers), and the pictures from `sparsim export --svg`.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mkdir -p "${2:-$root/docs/gallery}"
out=$(cd "${2:-$root/docs/gallery}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

seed=2024
points=1000

# generate_set NAME SIDE MODEL SPREAD...: NAME.ADF, $points points in the
# square from (0, 0) to (SIDE, SIDE) under MODEL (U, H, C, S or N). SPREAD
# is "centred", or "clustered SEEDS RADIUS" (seeds not used as points).
generate_set() {
  local name=$1 side=$2 model=$3 spread
  case $4 in
    centred) spread=(--centred) ;;
    clustered) spread=(--clusters "$5" --radius "$6" --no-seeds-as-points) ;;
  esac
  "$build/sparsim" generate --rect "0,0,$side,$side" --points "$points" "${spread[@]}" \
    --model "$model" --seed "$seed" -o "$name.ADF" --quiet
}

# draw_set NAME: the picture of NAME.ADF as OUT_DIR/name.svg.
draw_set() {
  "$build/sparsim" export --svg "$1.ADF" -o "$out/$(echo "$1" | tr 'A-Z' 'a-z').svg"
}

# Each model centred, then clustered around 6 seeds of radius 10 (the
# normal model: S.D. 4, so that most of a cluster lies within 10 too).
for model in UNIFORM:U HEMISPHERE:H CONIC:C SINUSOID:S NORMAL:N; do
  name=${model%:*}
  letter=${model#*:}
  radius=10
  [ "$letter" = N ] && radius=4
  generate_set "$name-CENTRED" 100 "$letter" centred
  generate_set "$name-CLUSTERED" 100 "$letter" clustered 6 "$radius"
done

# Uniform over the whole square: one seed, not a point, radius at least the
# diagonal (141.42).
generate_set UNIFORM-WHOLE 100 U clustered 1 142

# One normal cluster drawn twice, in centimetres (S.D. 8 in a side of 100)
# and in metres (S.D. 0.08 in a side of 1): the same candidates, but in
# metres the peak value 4.99 is cut to 1 and the cluster is flattened.
generate_set NORMAL-CM 100 N clustered 1 8
generate_set NORMAL-M 1 N clustered 1 0.08

for file in *.ADF; do draw_set "${file%.ADF}"; done
