#!/usr/bin/env bash
# The command line run as a user runs it: commands piped into each other,
# and runs of many replicates stopped by a signal at a random moment, after
# which every file left must be whole, listed in the manifest, and no
# temporary file may remain.
set -u
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

set_options=(--circle 20 --points 200 --clusters 4 --radius 1.5 --model conic --seed 5 --quiet)

# The .ADF bytes on standard output go through the exporter unchanged.
"$program" generate "${set_options[@]}" | "$program" export --csv - > piped.csv ||
  fail "generate | export"
"$program" generate "${set_options[@]}" -o direct.csv || fail "generate -o direct.csv"
"$program" generate "${set_options[@]}" --format csv > formatted.csv || fail "--format csv"
cmp -s piped.csv direct.csv || fail "piped and direct CSV differ"
cmp -s piped.csv formatted.csv || fail "piped and --format CSV differ"
[ "$(wc -l < piped.csv)" = 201 ] || fail "the CSV holds $(wc -l < piped.csv) lines, not 201"

"$program" --help > /dev/null || fail "--help"
"$program" no-such-command 2> /dev/null && fail "an unknown command succeeded"

# Every scan kernel the machine has writes the same bytes, a rectangle's and
# a circle's; a kernel it lacks, or no kernel at all, stops the program with
# status 1 before it writes anything.
for site in "--rect 0,0,1000,1000" "--circle 2000"; do
  # shellcheck disable=SC2086
  sparse=($site --points 300 --clusters 20 --radius 5 --model conic --seed 7 --quiet)
  rm -f auto.adf
  "$program" generate "${sparse[@]}" -o auto.adf || fail "generate $site"
  for kernel in avx512 avx2 portable; do
    rm -f forced.adf
    SPARSIM_KERNEL=$kernel "$program" generate "${sparse[@]}" -o forced.adf 2> kernel.err
    status=$?
    if [ $status = 1 ] && grep -q "lacks" kernel.err; then
      [ -e forced.adf ] && fail "SPARSIM_KERNEL=$kernel: a file written by a refused kernel"
      continue
    fi
    [ $status = 0 ] || fail "SPARSIM_KERNEL=$kernel generate $site: status $status"
    cmp -s auto.adf forced.adf || fail "SPARSIM_KERNEL=$kernel: other bytes for $site"
  done
done
for name in sse2 AVX2 " avx2"; do
  rm -f forced.adf
  SPARSIM_KERNEL=$name "$program" generate "${set_options[@]}" -o forced.adf 2> kernel.err
  status=$?
  [ $status = 1 ] || fail "SPARSIM_KERNEL='$name': status $status, not 1"
  grep -q "SPARSIM_KERNEL" kernel.err || fail "SPARSIM_KERNEL='$name': no message"
  [ -e forced.adf ] && fail "SPARSIM_KERNEL='$name': a file written"
done

# A file is whole when it holds its announced points and ends with a line end.
whole_adf() {
  local announced lines headers
  announced=$(head -c 20 "$1" | tr -d '\r' | head -n 1 | cut -d ' ' -f 1)
  headers=$(grep -c '^#' "$1")
  lines=$(wc -l < "$1")
  [ "$lines" = $((announced + headers + 1)) ] && [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ]
}

# Waits until a file exists, for at most 120 s; the sign that the program
# has set up its handlers and is under way.
wait_for_file() {
  local file=$1 pid=$2
  for _ in $(seq 2400); do
    [ -e "$file" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Stops a run of many replicates with a signal, then checks what is left.
# One of its outputs (gate) is a FIFO that nobody opens, so the run cannot
# end before the signal whatever the machine's speed: the thread that
# writes it waits until the signal ends the wait. The signal goes once the
# first file (sign) is written.
interrupt() {
  local signal=$1 expected=$2 folder=$3 gate=$4 sign=$5
  shift 5
  mkdir "$folder"
  mkfifo "$folder/$gate"
  "$program" "$@" --manifest "$folder/list.csv" --quiet 2> "$folder.err" &
  local pid=$!
  wait_for_file "$folder/$sign" "$pid" || fail "$folder: $sign never appeared"
  kill -s "$signal" "$pid"
  local waited=0
  while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 600 ]; do
    sleep 0.05
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$folder: still running 30 s after SIG$signal"
    kill -KILL "$pid"
  fi
  wait "$pid"
  local status=$?
  rm -f "$folder/$gate"
  [ "$status" = "$expected" ] || fail "$folder: status $status after SIG$signal, not $expected"
  ls -A "$folder" | grep -q '^\.' && fail "$folder: a temporary file was left: $(ls -A "$folder")"
  [ -f "$folder/list.csv" ] || { fail "$folder: no manifest"; return; }
  local listed files
  listed=$(($(wc -l < "$folder/list.csv") - 1))
  files=$(find "$folder" -type f -name 'r*' | wc -l)
  [ "$listed" = "$files" ] || fail "$folder: $files files but $listed manifest lines"
  local column
  column=$(head -n 1 "$folder/list.csv" | tr , '\n' | grep -n '^file$' | cut -d : -f 1)
  for file in $(tail -n +2 "$folder/list.csv" | cut -d , -f "$column"); do
    [ -f "$file" ] || fail "$folder: $file is listed but missing"
  done
  for file in "$folder"/r*.adf; do
    [ -f "$file" ] || continue
    whole_adf "$file" || fail "$folder: $file is not whole"
  done
  grep -q "interrupted" "$folder.err" || fail "$folder: no report of the interrupt"
  echo "$folder: $files files kept"
}

heavy=(generate --rect 0,0,3000,3000 --points 300 --clusters 30 --radius 0.5 --model normal
       --seed 9 --replicates 40 --allow-shared-stream)
interrupt INT 130 stop-int r03.adf r01.adf "${heavy[@]}" --jobs 2 -o 'stop-int/r{n}.adf'
interrupt TERM 143 stop-term r03.adf r01.adf "${heavy[@]}" --jobs 2 -o 'stop-term/r{n}.adf'
interrupt HUP 129 stop-hup r03.adf r01.adf "${heavy[@]}" --jobs 1 -o 'stop-hup/r{n}.adf'

"$program" generate --rect 0,0,100,100 --points 500 --centred --model uniform --seed 4 \
  --quiet -o many.adf || fail "the input of the walk"
interrupt INT 130 stop-walk r2-1.out r1-1.out walk many.adf --max-step 1 --steps 30 --passes 3 \
  --replicates 9 --jobs 2 --seed 8 -o 'stop-walk/r{n}-{pass}.out'
for file in stop-walk/r*.out; do
  [ -f "$file" ] || continue
  [ "$(wc -l < "$file")" = 501 ] || fail "$file is not whole"
done

# Waits until a thread of the program sleeps in a kernel function matching
# the pattern (its wchan); where the kernel does not show it, until the
# program sleeps at all.
wait_for_sleep_in() {
  local pid=$1 pattern=$2 task wchan state
  for _ in $(seq 2400); do
    for task in /proc/"$pid"/task/*; do
      wchan=$(cat "$task/wchan" 2>/dev/null)
      [[ "$wchan" =~ $pattern ]] && return 0
      state=$(sed -E 's/^[0-9]+ \(.*\) ([A-Z]).*/\1/' "$task/stat" 2>/dev/null)
      { [ -z "$wchan" ] || [ "$wchan" = 0 ]; } && [ "$state" = S ] && return 0
    done
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Every wait for a FIFO or a pipe ends at a signal with its status, in the
# main thread and in the threads of replicates alike, and leaves no
# temporary file: name, signal, status, where it waits, the command (F is
# a FIFO nobody opens; standard output is a pipe P nobody reads).
"$program" generate --rect 0,0,100,100 --points 10000 --centred --model uniform --seed 4 \
  --quiet -o big.adf || fail "the big set"
export_program=$(dirname "$program")/sparsim-export
while read -r name signal expected where command; do
  mkdir "$name"
  mkfifo "$name/F" "$name/P"
  exec 4<> "$name/P"
  # shellcheck disable=SC2086
  (cd "$name" && exec ${command//sparsim-export/$export_program} > P 2> err) &
  pid=$!
  if wait_for_sleep_in "$pid" "$where"; then
    kill -s "$signal" "$pid"
  else
    fail "$name: the program never waited ($where)"
  fi
  waited=0
  while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 600 ]; do
    sleep 0.05
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$name: still waiting 30 s after SIG$signal"
    kill -KILL "$pid"
  fi
  wait "$pid"
  status=$?
  exec 4<&-
  [ "$status" = "$expected" ] || fail "$name: status $status after SIG$signal, not $expected: $(cat "$name/err")"
  grep -q interrupted "$name/err" || fail "$name: no report of the interrupt: $(cat "$name/err")"
  left=$(cd "$name" && ls -A | grep -vxE 'F|P|err')
  [ -z "$left" ] || fail "$name: files left: $left"
done << TABLE
walk-in INT 130 wait_for_partner|poll $program walk F --max-step 1 --steps 1 --seed 1
export-in TERM 143 wait_for_partner|poll $program export --csv F
tool-in HUP 129 wait_for_partner|poll sparsim-export --csv F
export-out INT 130 wait_for_partner|poll $program export --csv ../many.adf -o F
tool-out TERM 143 wait_for_partner|poll sparsim-export --svg ../many.adf -o F
generate-out INT 130 wait_for_partner|poll $program generate --circle 20 --points 5 --centred --seed 1 -q -o F
walk-out HUP 129 wait_for_partner|poll $program walk ../many.adf --max-step 1 --steps 1 --seed 1 -q -o F
generate-pipe TERM 143 poll $program generate --rect 0,0,9,9 --points 10000 --centred --seed 1 -q -o /dev/stdout
walk-pipe INT 130 poll $program walk ../big.adf --max-step 1 --steps 1 --seed 1 -q -o /dev/stdout
TABLE

[ "$failures" = 0 ] || exit 1
echo "cli e2e: all passed"
