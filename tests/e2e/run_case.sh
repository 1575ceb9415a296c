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
# and, where a case needs them:
#   answers.sh    a bash script whose standard output is the answers, used
#                 instead of `answers` for answers too big to keep (such as a
#                 line of a megabyte)
#   setup.sh      a bash script run in the working folder after before/ is
#                 copied and before the program starts (to make a folder, a
#                 link, or a file nobody may read); exit status 77 skips the
#                 case
#   limits        arguments to bash's `ulimit` applied to the program alone:
#                 `-f 1` makes every write past the first 1024 bytes of a
#                 file fail with "File too large" (SIGXFSZ is left as the
#                 shell has it, so the program must ignore it itself), and
#                 `-v` bounds the memory the program may use (such a case
#                 is skipped for a program built with AddressSanitizer)
#   unprivileged  (empty) the program must not run as root, so that file
#                 permissions hold: as root it is run as nobody (through
#                 setpriv, with the working folder opened to that user); the
#                 case is skipped (status 77) when that is not possible
#   stderr        the exact bytes expected on standard error (not compared
#                 when the file is absent)
#   stdout.sed    a sed script applied to the actual standard output before
#                 the comparison, to mask what differs from run to run (the
#                 seed taken from the clock)
# Standard output and standard error reach the runner through pipes, so a
# file-size limit touches only the files the program itself writes.
set -u
program=$1
case_dir=$(cd "$2" && pwd)
skip=77
work=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$work" "$scratch"' EXIT

if [ -d "$case_dir/before" ]; then cp -R "$case_dir/before/." "$work/"; fi
expected_status=0
[ -f "$case_dir/status" ] && expected_status=$(tr -d '[:space:]' < "$case_dir/status")

answers=$case_dir/answers
if [ -f "$case_dir/answers.sh" ]; then
  answers=$scratch/answers
  (cd "$scratch" && bash "$case_dir/answers.sh") > "$answers" || exit 1
fi
if [ -f "$case_dir/setup.sh" ]; then
  (cd "$work" && bash "$case_dir/setup.sh")
  setup_status=$?
  [ "$setup_status" = "$skip" ] && exit $skip
  [ "$setup_status" = 0 ] || { echo "setup.sh failed with status $setup_status"; exit 1; }
fi
limits=
[ -f "$case_dir/limits" ] && limits=$(cat "$case_dir/limits")
# AddressSanitizer reserves far more address space than a memory limit lets
# the program have: such a case is for the plain build only.
case " $limits " in
  *" -v "*) grep -qa __asan_init "$program" && exit $skip ;;
esac
run_as=()
if [ -f "$case_dir/unprivileged" ] && [ "$(id -u)" = 0 ]; then
  command -v setpriv > /dev/null || exit $skip
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
  chmod 777 "$work"
  # The build folder may be closed to that user: run a copy of the program.
  chmod 755 "$scratch"
  cp "$program" "$scratch/program"
  program=$scratch/program
fi

run_program() {
  cd "$work" || exit 125
  if [ -n "$limits" ]; then
    # shellcheck disable=SC2086 # the limits are separate ulimit arguments
    ulimit $limits || exit 125
    trap - XFSZ
  fi
  exec timeout 60 "${run_as[@]}" "$program"
}
{ { (run_program < "$answers"); echo $? > "$scratch/status"; } 2>&1 1>&3 |
  cat > "$scratch/stderr"; } 3>&1 | cat > "$scratch/stdout"
status=$(cat "$scratch/status")
# What setup.sh locked must be readable for the comparison and the clean-up.
chmod -R u+rwX "$work" 2> /dev/null
if [ -f "$case_dir/stdout.sed" ]; then
  LC_ALL=C sed -f "$case_dir/stdout.sed" "$scratch/stdout" > "$scratch/stdout.masked"
  mv "$scratch/stdout.masked" "$scratch/stdout"
fi

failed=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  cat "$scratch/stderr"
  failed=1
fi
if ! cmp -s "$scratch/stdout" "$case_dir/stdout"; then
  echo "standard output differs:"
  diff <(cat -A "$case_dir/stdout") <(cat -A "$scratch/stdout") | head -40
  failed=1
fi
if [ -f "$case_dir/stderr" ] && ! cmp -s "$scratch/stderr" "$case_dir/stderr"; then
  echo "standard error differs:"
  diff <(cat -A "$case_dir/stderr") <(cat -A "$scratch/stderr") | head -40
  failed=1
fi
expected_files=$(cd "$case_dir/after" 2>/dev/null && find . -type f | sort)
actual_files=$(cd "$work" && find . -type f | sort)
if [ "$expected_files" != "$actual_files" ]; then
  echo "files differ: expected [$expected_files] got [$actual_files]"
  failed=1
fi
while IFS= read -r f; do
  [ -n "$f" ] || continue
  if [ -f "$work/$f" ] && ! cmp -s "$case_dir/after/$f" "$work/$f"; then
    echo "file $f differs:"
    diff <(cat -A "$case_dir/after/$f") <(cat -A "$work/$f") | head -40
    failed=1
  fi
done <<< "$expected_files"
exit $failed
