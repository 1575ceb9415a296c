#!/usr/bin/env bash
# Runs the program once for an end-to-end case and compares what it leaves.
#
# A case is a folder holding:
#   answers   the bytes fed to standard input
#   stdout    the exact bytes expected on standard output
#   status    the expected exit status (0 when the file is absent)
#   before/   files put into the empty working folder before the run
#   after/    every file expected in the working folder after the run,
#             byte for byte (no more, no fewer)
set -u
program=$1
case_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -d "$case_dir/before" ]; then cp -R "$case_dir/before/." "$work/"; fi
expected_status=0
[ -f "$case_dir/status" ] && expected_status=$(tr -d '[:space:]' < "$case_dir/status")

(cd "$work" && timeout 60 "$program" < "$case_dir/answers" > "$work/.stdout" 2> "$work/.stderr")
status=$?
failed=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  cat "$work/.stderr"
  failed=1
fi
if ! cmp -s "$work/.stdout" "$case_dir/stdout"; then
  echo "standard output differs:"
  diff <(cat -A "$case_dir/stdout") <(cat -A "$work/.stdout") | head -40
  failed=1
fi
rm -f "$work/.stdout" "$work/.stderr"
expected_files=$(cd "$case_dir/after" 2>/dev/null && find . -type f | sort)
actual_files=$(cd "$work" && find . -type f | sort)
if [ "$expected_files" != "$actual_files" ]; then
  echo "files differ: expected [$expected_files] got [$actual_files]"
  failed=1
fi
for f in $expected_files; do
  if [ -f "$work/$f" ] && ! cmp -s "$case_dir/after/$f" "$work/$f"; then
    echo "file $f differs:"
    diff <(cat -A "$case_dir/after/$f") <(cat -A "$work/$f") | head -40
    failed=1
  fi
done
exit $failed
