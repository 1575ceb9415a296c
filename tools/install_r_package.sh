#!/usr/bin/env bash
# Installs the R package r/sparsim into BUILD_DIR/r/lib as a user installs
# it (R CMD INSTALL, from a copy in BUILD_DIR/r/pkg), for the tests and the
# benchmark:
#
#   tools/install_r_package.sh BUILD_DIR
#
# It installs again only when the package's sources or the library's have
# changed since the last install (BUILD_DIR/r/installed holds their
# checksum). Exit status: 0 installed, 1 the install failed (the end of its
# log is shown).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
place=$1/r
mkdir -p "$place"
sum=$(cd "$root" && find src r/sparsim -type f ! -path 'r/sparsim/src/core/*' \
  ! -path 'r/sparsim/tests/*' ! -name '*.o' ! -name '*.so' ! -name Makevars |
  LC_ALL=C sort | xargs sha1sum | sha1sum)
# One install at a time, should two runs meet.
exec 9> "$place/lock"
flock 9
[ "$(cat "$place/installed" 2> /dev/null)" = "$sum" ] && exit 0
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
