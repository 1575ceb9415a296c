#!/usr/bin/env bash
# The pictures of the guide (docs/gallery) are what tools/make_gallery.sh
# makes with the built program today, byte for byte.
#
#   run_gallery_check.sh BUILD_DIR GALLERY_DIR
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$(dirname "$0")/../../tools/make_gallery.sh" "$1" "$work" || exit 1
if ! diff -r "$2" "$work" > /dev/null; then
  diff -rq "$2" "$work" | sed "s|$work|(made now)|"
  echo "The pictures have changed: run tools/make_gallery.sh, look at them, and commit them."
  exit 1
fi
