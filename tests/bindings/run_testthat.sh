#!/usr/bin/env bash
# Installs the R package (r/sparsim) into the build folder, as a user
# installs it (R CMD INSTALL), and runs its tests with testthat against the
# built program:
#
#   tests/bindings/run_testthat.sh PROGRAM BUILD_DIR
#
# The package is installed again only when its sources or the library's
# have changed since the last install (BUILD_DIR/r/installed holds their
# checksum). Exit status: 0 the tests passed, 1 they failed or the package
# did not install, 77 (skipped, with a note) where R, Rcpp or testthat is
# missing.
set -u
program=$1
build=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
skip=77

if ! command -v Rscript > /dev/null 2>&1; then
  echo "R tests skipped: Rscript not found (Debian: apt-get install r-base-core r-cran-rcpp r-cran-testthat)"
  exit $skip
fi
for package in Rcpp testthat; do
  if ! Rscript -e "quit(status = !requireNamespace('$package', quietly = TRUE))" > /dev/null 2>&1; then
    lower=$(echo "$package" | tr '[:upper:]' '[:lower:]')
    echo "R tests skipped: the $package package is missing (Debian: apt-get install r-cran-$lower)"
    exit $skip
  fi
done

place=$build/r
mkdir -p "$place"
sum=$(cd "$root" && find src r/sparsim -type f ! -path 'r/sparsim/src/core/*' ! -path 'r/sparsim/tests/*' \
  ! -name '*.o' ! -name '*.so' ! -name Makevars | LC_ALL=C sort | xargs sha1sum | sha1sum)
# One install at a time, should two runs meet.
exec 9> "$place/lock"
flock 9
if [ "$(cat "$place/installed" 2> /dev/null)" != "$sum" ]; then
  rm -rf "$place/pkg" "$place/lib" "$place/installed"
  mkdir -p "$place/lib"
  cp -r "$root/r/sparsim" "$place/pkg"
  rm -rf "$place/pkg/src/core" "$place/pkg/src"/*.o "$place/pkg/src"/*.so
  if ! SPARSIM_SOURCE_DIR=$root/src MAKEFLAGS=${MAKEFLAGS:--j2} \
    R CMD INSTALL --no-test-load -l "$place/lib" "$place/pkg" > "$place/install.log" 2>&1; then
    tail -30 "$place/install.log"
    echo "the R package did not install; the whole log is $place/install.log"
    exit 1
  fi
  echo "$sum" > "$place/installed"
fi
flock -u 9

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
SPARSIM_README=$root/README.md SPARSIM_PROGRAM=$program R_LIBS=$place/lib${R_LIBS:+:$R_LIBS} Rscript -e "
library(testthat)
library(sparsim)
result <- test_dir('$root/r/sparsim/tests/testthat', reporter = 'summary', stop_on_failure = TRUE)
"
