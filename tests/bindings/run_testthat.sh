#!/usr/bin/env bash
# Installs the R package (r/sparsim) into the build folder, as a user
# installs it (R CMD INSTALL), and runs its tests with testthat against the
# built program:
#
#   tests/bindings/run_testthat.sh PROGRAM BUILD_DIR
#
# The package is installed again only when its sources or the library's
# have changed (tools/install_r_package.sh). Exit status: 0 the tests passed, 1 they failed or the package
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

"$root/tools/install_r_package.sh" "$build" || exit 1
place=$build/r

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
SPARSIM_README=$root/README.md SPARSIM_PROGRAM=$program R_LIBS=$place/lib${R_LIBS:+:$R_LIBS} Rscript -e "
library(testthat)
library(sparsim)
result <- test_dir('$root/r/sparsim/tests/testthat', reporter = 'summary', stop_on_failure = TRUE)
"
