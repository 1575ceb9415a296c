#!/usr/bin/env bash
# Runs the Python package's tests (python/tests) with the module built in
# the build folder, against the built program:
#
#   tests/bindings/run_pytest.sh PROGRAM MODULE_DIR
#
# MODULE_DIR holds the package sparsim (its __init__.py and _sparsim);
# "none" when the build found no pybind11. Debian's /usr/bin/python3, which
# has NumPy and pytest, comes first. Exit status: pytest's, or 77 (skipped,
# with a note) where the module or Python's packages are missing.
set -u
program=$1
module_dir=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
skip=77

if [ "$module_dir" = none ] || [ ! -f "$module_dir/sparsim/__init__.py" ]; then
  echo "Python tests skipped: the module was not built, pybind11 was not found" \
    "(Debian: apt-get install pybind11-dev python3-pybind11, then configure again)"
  exit $skip
fi
python=
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import numpy, pytest' > /dev/null 2>&1; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "Python tests skipped: no python3 with NumPy and pytest" \
    "(Debian: apt-get install python3-numpy python3-pytest)"
  exit $skip
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
SPARSIM_PROGRAM=$program PYTHONPATH=$module_dir${PYTHONPATH:+:$PYTHONPATH} \
  "$python" -m pytest -q -p no:cacheprovider "$root/python/tests"
