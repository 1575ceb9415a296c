#!/usr/bin/env bash
# Checks that the Debian packages a build needs are installed, before any
# configure starts:
#
#   tools/check_deps.sh run    the program: a C++ compiler, CMake, CLI11
#   tools/check_deps.sh test   the same, and Google Test for the tests; and
#                              for the tests of the Python and R packages,
#                              pybind11, NumPy, pytest, R, Rcpp and testthat
#   tools/check_deps.sh cross  the same as run, and the aarch64 cross compiler
#                              and qemu-user for make check-cross (also
#                              cross-aarch64; cross-armhf: the 32-bit ARM
#                              compiler, for make check-cross-armhf)
#
# When something is missing: as root, with apt-get at hand, it installs the
# packages itself; otherwise it names them with the exact apt-get line to run
# and fails, so that no configure stops half-way for want of a package. The
# packages of the Python and R tests are wanted, not needed: where they
# cannot be installed, a note names them and those tests are skipped.
# Exit status: 0 all there (or installed), 1 something needed missing.
set -u

goal=${1:-run}
case $goal in
  run | test | cross | cross-aarch64 | cross-armhf) ;;
  *)
    echo "usage: $0 run|test|cross|cross-armhf" >&2
    exit 2
    ;;
esac

target=$goal
[ "$goal" = cross-aarch64 ] && goal=cross
[ "$goal" = cross ] && target=check-cross
[ "$goal" = cross-armhf ] && target=check-cross-armhf

compiler=${CXX:-g++}

# have_header HEADER: the compiler finds it (wherever it is installed); with
# no compiler yet, the Debian place is looked at.
have_header() {
  if command -v "$compiler" > /dev/null 2>&1; then
    printf '#include <%s>\n' "$1" | "$compiler" -std=c++20 -E -x c++ - -o /dev/null 2> /dev/null
  else
    [ -f "/usr/include/$1" ]
  fi
}

missing_packages() {
  local need=()
  command -v "$compiler" > /dev/null 2>&1 || need+=(g++)
  command -v cmake > /dev/null 2>&1 || need+=(cmake)
  have_header CLI/CLI.hpp || need+=(libcli11-dev)
  if [ "$goal" = test ]; then
    have_header gtest/gtest.h || need+=(libgtest-dev)
  fi
  if [ "$goal" = cross ]; then
    command -v aarch64-linux-gnu-g++ > /dev/null 2>&1 || need+=(g++-aarch64-linux-gnu)
    command -v qemu-aarch64 > /dev/null 2>&1 || need+=(qemu-user)
  fi
  if [ "$goal" = cross-armhf ]; then
    command -v arm-linux-gnueabihf-g++ > /dev/null 2>&1 || need+=(g++-arm-linux-gnueabihf)
    command -v qemu-arm > /dev/null 2>&1 || need+=(qemu-user)
  fi
  echo "${need[*]}"
}

# The packages of the Python and R packages' tests (Debian's /usr/bin/python3
# is the Python they use).
python=/usr/bin/python3
r_has() { Rscript -e "quit(status = !requireNamespace('$1', quietly = TRUE))" > /dev/null 2>&1; }
wanted_packages() {
  local want=()
  [ "$goal" = test ] || return 0
  [ -f /usr/include/pybind11/pybind11.h ] || want+=(pybind11-dev)
  "$python" -c 'import pybind11' > /dev/null 2>&1 || want+=(python3-pybind11)
  "$python" -c 'import numpy' > /dev/null 2>&1 || want+=(python3-numpy)
  "$python" -c 'import pytest' > /dev/null 2>&1 || want+=(python3-pytest)
  if command -v Rscript > /dev/null 2>&1; then
    r_has Rcpp || want+=(r-cran-rcpp)
    r_has testthat || want+=(r-cran-testthat)
  else
    want+=(r-base-core r-cran-rcpp r-cran-testthat)
  fi
  echo "${want[*]}"
}

need=$(missing_packages)
want=$(wanted_packages)
[ -z "$need" ] && [ -z "$want" ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  if [ -n "$need" ]; then
    echo "Installing the Debian packages that 'make $target' needs: $need"
    # shellcheck disable=SC2086 # one word per package
    if apt-get update -qq && apt-get install -y -qq --no-install-recommends $need; then
      need=$(missing_packages)
    fi
    if [ -n "$need" ]; then
      echo "'make $target' still needs the Debian packages: $need" >&2
      exit 1
    fi
  fi
  if [ -n "$want" ]; then
    echo "Installing the Debian packages of the Python and R tests: $want"
    # shellcheck disable=SC2086 # one word per package
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends $want; } ||
      echo "Could not install them all; the tests that need the missing ones are skipped."
  fi
  exit 0
fi

if [ -z "$need" ]; then
  echo "The Python and R package tests need Debian packages that are not installed: $want"
  echo "They are skipped; to run them, install these (as root): apt-get install $want"
  exit 0
fi

{
  echo "'make $target' needs Debian packages that are not installed: $need"
  if [ "$(id -u)" != 0 ] && command -v sudo > /dev/null 2>&1; then
    echo "Install them with this command, then run 'make $target' again:"
    echo "    sudo apt-get install $need"
  else
    echo "Install them as root with this command, then run 'make $target' again:"
    echo "    apt-get install $need"
  fi
} >&2
exit 1
