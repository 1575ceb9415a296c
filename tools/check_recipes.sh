#!/usr/bin/env bash
# Runs the R and NumPy recipes of README.md and docs/models.md as written, on
# files that the built program makes, and checks what they read:
#
#   tools/check_recipes.sh r|numpy [BUILD_DIR]       (default: build)
#
# Every ```r block of the two files, in order, runs with Rscript (the R part
# needs r-base-core and r-cran-spatstat); every ```python block with a
# Python that has NumPy; every ```sh block before them, with the built
# program as sparsim (the replicates of the README's scripted runs). The
# recipes' other files are made first in a scratch folder: SITE.ADF and
# SITE.OUT of the README's short session, site.csv exported from SITE.ADF,
# BIG.ADF (values of 10000 and more, which fill their fields), and the
# guide's SQUARE.ADF and WHOLE.ADF (its CSR replicates come from its own
# ```sh block).
# Exit status: 0 the recipes read every file right, 1 they did not, 77 the
# language or its packages are missing here (the note says which).
set -u
part=${1:-}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build}" && pwd)
skip=77

case $part in
  r)
    if ! command -v Rscript > /dev/null 2>&1; then
      echo "R recipes skipped: Rscript not found (Debian: apt-get install r-base-core r-cran-spatstat)"
      exit $skip
    fi
    if ! Rscript -e 'quit(status = !requireNamespace("spatstat", quietly = TRUE))' > /dev/null 2>&1; then
      echo "R recipes skipped: the spatstat package is missing (Debian: apt-get install r-cran-spatstat)"
      exit $skip
    fi
    ;;
  numpy)
    python=
    for candidate in /usr/bin/python3 python3; do
      if "$candidate" -c 'import numpy' > /dev/null 2>&1; then
        python=$candidate
        break
      fi
    done
    if [ -z "$python" ]; then
      echo "NumPy recipes skipped: no python3 with NumPy (Debian: apt-get install python3-numpy)"
      exit $skip
    fi
    ;;
  *)
    echo "usage: $0 r|numpy [BUILD_DIR]" >&2
    exit 2
    ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# make_set ANSWERS...: one run of the program on these answers (one a line).
make_set() {
  printf '%s\n' "$@" | "$build/sparsim" > /dev/null || { echo "the program failed on: $*"; exit 1; }
}
# The README's short session, and a walk of its file.
make_set g 12345 c '' '' '' n 100 c u y site n n y
make_set w site 5 '' 2.5 3 n n y
"$build/sparsim-export" --csv SITE.ADF -o site.csv || exit 1
# Coordinates of 10000 and more fill their fields of 10 characters.
make_set g 7 r 9000 9000 20000 20000 n 100 c u y big n n y
"$build/sparsim-export" --csv BIG.ADF -o big.csv || exit 1
# The guide's centred square and its square filled by one large cluster.
make_set g 2024 r 0 0 100 100 n 1000 c u y square n n y
make_set g 2024 r 0 0 100 100 n 1000 s 1 n 142 u y whole n n y

# blocks LANGUAGE: the fenced blocks of that language in the two files, but
# for those of the sections "From R" and "From Python", which need the
# packages and are run by their tests (python/tests, r/sparsim/tests).
blocks() {
  awk -v open="\`\`\`$1" '
    /^## / { package = ($0 == "## From R" || $0 == "## From Python") }
    package { next }
    $0 == open { inside = 1; next } /^```/ { inside = 0 } inside' \
    "$root/README.md" "$root/docs/models.md"
}

# The commands of the README's scripted runs (```sh blocks), with the built
# program as sparsim, make the replicates those recipes read.
blocks sh > recipe.sh
PATH="$build:$PATH" bash -e recipe.sh > /dev/null || { echo "the shell recipes failed"; exit 1; }

if [ "$part" = r ]; then
  blocks r > recipe.R
  [ -s recipe.R ] || { echo "no R recipe found"; exit 1; }
  cat recipe.R - > check.R << 'EOF'
# What the recipes read is what the exporter, an independent reader, reads.
same <- function(a, b) nrow(a) == nrow(b) && all(a$x == b$x) && all(a$y == b$y)
stopifnot(nrow(site) == 100, same(site, table), nrow(walk) == 100,
          same(read_adf("BIG.ADF"), read.csv("big.csv")), nrow(read_adf("BIG.ADF")) == 100,
          npoints(X) == 100, is.null(attr(X, "rejects")))
# The guide's check: one large cluster fills the square evenly, the centred
# set does not.
p_whole <- quadrat.test(ppp(whole$x, whole$y, window = owin(c(0, 100), c(0, 100))))$p.value
square <- read_adf("SQUARE.ADF")
p_square <- quadrat.test(ppp(square$x, square$y, window = owin(c(0, 100), c(0, 100))))$p.value
cat(sprintf("quadrat test p-values: whole %.3g, centred %.3g\n", p_whole, p_square))
stopifnot(round(p_whole, 2) == 0.88, p_square < 1e-20)
# The quick start's table of 99 replicates, replicate after replicate.
stopifnot(nrow(sims_table) == 99 * 200, all(sims_table$replicate == rep(1:99, each = 200)))
# The scripted runs: 99 replicates of 200 points, and the envelope of them.
stopifnot(length(sims) == 99, all(sapply(sims, npoints) == 200), npoints(observed) == 200,
          inherits(E, "envelope"))
# The guide's test of CSR: 99 CSR replicates as the null reject the
# clustered pattern at the smallest p a rank test of 99 can give, and keep
# the uniform one.
stopifnot(length(null) == 99, all(sapply(null, npoints) == 200),
          clustered_test$p.value == 0.01, uniform_test$p.value > 0.05)
EOF
  Rscript check.R || { echo "the R recipes failed"; exit 1; }
else
  blocks python > recipe.py
  [ -s recipe.py ] || { echo "no NumPy recipe found"; exit 1; }
  cat recipe.py - > check.py << 'EOF'
# What the recipes read is what the exporter, an independent reader, reads.
assert site.shape == (100, 2) and (site == table).all(), "SITE.ADF"
assert walk.shape == (100, 2), "SITE.OUT"
big = read_adf("BIG.ADF")
assert big.shape == (100, 2) and (big == np.loadtxt("big.csv", delimiter=",", skiprows=1)).all(), "BIG.ADF"
assert sims_table.shape == (99 * 200, 4), "the quick start's table"
assert (sims_table[:, 0] == np.repeat(np.arange(1, 100), 200)).all(), "its replicates"
assert sims.shape == (99, 200, 2), "the scripted replicates"
EOF
  "$python" check.py || { echo "the NumPy recipes failed"; exit 1; }
fi
echo "$part recipes: every file read right"
