#!/usr/bin/env bash
# Stops the program with a signal part way through a run and checks that it
# ends cleanly: the exit status of the signal, the console ending with an
# empty line and "Interrupted - Program Aborting.", and every file either
# untouched, complete, or holding whole lines that begin the file an
# uninterrupted run writes.
#
#   run_interrupt.sh PROGRAM generation INT|TERM
#       a small set written to FIRST.ADF, then a hopeless set: the signal is
#       sent once its warning line shows.
#   run_interrupt.sh PROGRAM question INT|TERM
#       answers from a pipe that stays open: the signal is sent while the
#       program waits for the answer to the shape question.
#   run_interrupt.sh PROGRAM walk INT|TERM
#       a walk of 30000 points with many steps each: the signal is sent once
#       the first block of walked points has reached the output file.
#   run_interrupt.sh PROGRAM fifo INT|TERM|HUP
#       a set to be written to X.ADF, a FIFO nobody reads: the signal is sent
#       while the program waits in the open, which must end as interrupted
#       without taking the next answer as another file name.
#   run_interrupt.sh PROGRAM blocked INT|TERM
#       a walk of 30000 points to the console, whose reader has stopped
#       reading: the signal is sent once the program sleeps, waiting for the
#       full pipe, and must end it within 10 seconds.
# HUP (the terminal went away) is expected to end a run like TERM, with
# status 129.
#
# Nothing here depends on timing: each wait polls for what the program shows
# and gives up only after a generous limit.
set -u
program=$1
scenario=$2
signal=$3
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

case $signal in
  INT) expected_status=130 ;;
  TERM) expected_status=143 ;;
  HUP) expected_status=129 ;;
  *) echo "unknown signal $signal"; exit 2 ;;
esac
crlf=$'\r\n'
failed=0
fail() { echo "$*"; failed=1; }

# Waits until the file holds the text (fixed string), for at most 120 s.
wait_for_text() {
  local file=$1 text=$2
  for _ in $(seq 2400); do
    grep -qF -- "$text" "$file" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || { echo "program ended before showing: $text"; return 1; }
    sleep 0.05
  done
  echo "timed out waiting for: $text"
  return 1
}

# Waits until the file exists and is not empty, for at most 120 s.
wait_for_bytes() {
  local file=$1
  for _ in $(seq 2400); do
    [ -s "$file" ] && return 0
    kill -0 "$pid" 2>/dev/null || { echo "program ended before writing $file"; return 1; }
    sleep 0.05
  done
  echo "timed out waiting for $file"
  return 1
}

# Sends the signal and checks the status and the console's last lines.
interrupt_and_check() {
  local last_prompt=$1
  kill -s "$signal" "$pid"
  wait "$pid"
  local status=$?
  pid=
  [ "$status" = "$expected_status" ] || fail "exit status $status, expected $expected_status"
  local ending="${last_prompt}${crlf}Interrupted - Program Aborting.${crlf}"
  local tail_bytes
  tail_bytes=$(tail -c "${#ending}" "$work/run/.stdout"; echo x)
  [ "${tail_bytes%x}" = "$ending" ] || {
    fail "console ending differs:"
    tail -c 200 "$work/run/.stdout" | cat -A
  }
  [ ! -s "$work/run/.stderr" ] || { fail "standard error:"; cat "$work/run/.stderr"; }
}

# Runs the answers to their end in folder $1 (the uninterrupted run).
run_whole() {
  mkdir -p "$work/$1"
  (cd "$work/$1" && timeout 300 "$program" < "$work/$2" > .stdout 2> .stderr) ||
    fail "uninterrupted run failed"
}

start() {
  mkdir -p "$work/run"
  cd "$work/run"
  "$program" < "$1" > .stdout 2> .stderr &
  pid=$!
  cd - > /dev/null
}

generation() {
  local first_set="G${crlf}1${crlf}R${crlf}0${crlf}0${crlf}10${crlf}10${crlf}N${crlf}20${crlf}C${crlf}U${crlf}Y${crlf}FIRST${crlf}N${crlf}"
  # A centred normal set of 1000 points on a circle of diameter 1e9:
  # 1000 x 5e8 x sqrt(pi / 2) = 6.27e11 candidates.
  local hopeless="Y${crlf}C${crlf}1e9${crlf}${crlf}${crlf}N${crlf}1000${crlf}C${crlf}N${crlf}"
  printf '%s' "${first_set}N${crlf}Y${crlf}" > "$work/whole_answers"
  printf '%s' "${first_set}${hopeless}" > "$work/answers"
  run_whole whole whole_answers
  start "$work/answers"
  local cycle="Warning: About 2.2E+12 Random Numbers Needed - Beyond the Cycle of 2^32, Set Will Stop Early"
  local warning="  [U]niform [H]emisphere [C]onic [S]inusoid [N]ormal {N} ? Warning: About 6.3E+11 Trial Points Needed - Press Ctrl-C to Stop${crlf}${cycle}"
  wait_for_text "$work/run/.stdout" "$cycle" || { failed=1; return; }
  interrupt_and_check "$warning${crlf}"
  # The set in progress leaves no file; the written one is whole.
  local files
  files=$(cd "$work/run" && find . -type f ! -name '.std*' | sort)
  [ "$files" = "./FIRST.ADF" ] || fail "files left: [$files], expected [./FIRST.ADF]"
  cmp -s "$work/whole/FIRST.ADF" "$work/run/FIRST.ADF" ||
    fail "FIRST.ADF differs from the uninterrupted run's"
}

question() {
  mkfifo "$work/answers"
  mkdir -p "$work/run"
  # Holding the pipe open for reading and writing keeps it from ending.
  exec 3<> "$work/answers"
  printf 'G\r\n1\r\n' >&3
  start "$work/answers"
  local prompt="Distribution Shape: [C]ircular, [R]ectangular {R} ? "
  wait_for_text "$work/run/.stdout" "$prompt" || { failed=1; return; }
  interrupt_and_check "$prompt"
  exec 3>&-
  local files
  files=$(cd "$work/run" && find . -type f ! -name '.std*')
  [ -z "$files" ] || fail "files left: [$files]"
}

walk() {
  # 30000 points: the walked file passes the output buffer several times,
  # the first time early, so most of the walk is still to come when part
  # of it has reached the disk.
  awk 'BEGIN { printf "30000 2\r\n";
               for (i = 0; i < 30000; i++) printf "%d.5,%d.25\r\n", i % 100, int(i / 100) }' \
    > "$work/pts.adf"
  mkdir -p "$work/run" "$work/whole"
  cp "$work/pts.adf" "$work/run/"
  cp "$work/pts.adf" "$work/whole/"
  printf 'W\r\npts.adf\r\n7\r\n\r\n\r\n400\r\nN\r\nN\r\nY\r\n' > "$work/answers"
  run_whole whole answers
  start "$work/answers"
  wait_for_bytes "$work/run/PTS.OUT" || { failed=1; return; }
  interrupt_and_check "Number of Random Walk Steps {1} ? "
  local cut=$work/run/PTS.OUT whole=$work/whole/PTS.OUT
  cmp -s "$work/pts.adf" "$work/run/pts.adf" || fail "the input file changed"
  local size
  size=$(stat -c %s "$cut")
  [ "$size" -lt "$(stat -c %s "$whole")" ] ||
    fail "the walk ended before the signal: lengthen it"
  echo "interrupted after $size of $(stat -c %s "$whole") bytes"
  cmp -s -n "$size" "$cut" "$whole" || fail "PTS.OUT is not the start of the uninterrupted file"
  [ "$(tail -c 2 "$cut" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "PTS.OUT ends inside a line"
  local bad
  bad=$(LC_ALL=C grep -cvE '^(30000,2|-?[0-9]+\.[0-9]{4},-?[0-9]+\.[0-9]{4})'$'\r''$' "$cut")
  [ "$bad" = 0 ] || fail "$bad lines of PTS.OUT are not whole point lines"
}

# Waits until the program sleeps in the kernel function named (its wchan);
# where the kernel does not show it, until the program sleeps at all.
wait_for_sleep_in() {
  local where=$1 wchan state
  for _ in $(seq 2400); do
    wchan=$(cat "/proc/$pid/wchan" 2>/dev/null)
    state=$(sed -E 's/^[0-9]+ \(.*\) ([A-Z]).*/\1/' "/proc/$pid/stat" 2>/dev/null)
    [[ "$wchan" =~ ^($where)$ ]] && return 0
    { [ -z "$wchan" ] || [ "$wchan" = 0 ]; } && [ "$state" = S ] && return 0
    kill -0 "$pid" 2>/dev/null || { echo "program ended before waiting in $where"; return 1; }
    sleep 0.05
  done
  echo "timed out waiting for the program to wait in $where"
  return 1
}

fifo() {
  mkdir -p "$work/run"
  mkfifo "$work/run/X.ADF"
  local set="G${crlf}1${crlf}R${crlf}0${crlf}0${crlf}10${crlf}10${crlf}N${crlf}20${crlf}C${crlf}U${crlf}Y${crlf}"
  printf '%s' "${set}X${crlf}Y${crlf}N${crlf}N${crlf}Y${crlf}" > "$work/answers"
  start "$work/answers"
  wait_for_sleep_in "wait_for_partner|do_sys_poll|poll_schedule_timeout.*" || { failed=1; return; }
  interrupt_and_check "Output File {.ADF} ? "
  local files
  files=$(cd "$work/run" && find . ! -name '.std*' ! -name . | sort)
  [ "$files" = "./X.ADF" ] || fail "files left: [$files], expected the FIFO [./X.ADF] only"
}

blocked() {
  mkdir -p "$work/run"
  awk 'BEGIN { printf "30000 2\r\n";
               for (i = 0; i < 30000; i++) printf "%d.5,%d.25\r\n", i % 100, int(i / 100) }' \
    > "$work/run/pts.adf"
  printf 'W\r\npts.adf\r\n7\r\ncon\r\n\r\n1\r\nN\r\nN\r\nY\r\n' > "$work/answers"
  mkfifo "$work/screen"
  # Held open for reading and never read: 600 kB of points fill it.
  exec 4<> "$work/screen"
  cd "$work/run"
  "$program" < "$work/answers" > "$work/screen" 2> .stderr &
  pid=$!
  cd - > /dev/null
  local state=
  for _ in $(seq 2400); do
    state=$(sed -E 's/^[0-9]+ \(.*\) ([A-Z]).*/\1/' "/proc/$pid/stat" 2>/dev/null)
    [ "$state" = S ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  [ "$state" = S ] || { fail "the program never waited for the console (state [$state])"; return; }
  kill -s "$signal" "$pid"
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "the program still waits 10 seconds after the signal"
    return
  fi
  wait "$pid"
  local status=$?
  pid=
  exec 4<&-
  [ "$status" = "$expected_status" ] || fail "exit status $status, expected $expected_status"
  [ ! -s "$work/run/.stderr" ] || { fail "standard error:"; cat "$work/run/.stderr"; }
  local files
  files=$(cd "$work/run" && find . -type f ! -name '.std*' | sort)
  [ "$files" = "./pts.adf" ] || fail "files left: [$files], expected [./pts.adf]"
}

case $scenario in
  generation | question | walk | fifo | blocked) "$scenario" ;;
  *) echo "unknown scenario $scenario"; exit 2 ;;
esac
exit $failed
