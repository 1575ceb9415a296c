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

# A file is whole when it holds its announced points and ends with a line end.
whole_adf() {
  local announced lines headers
  announced=$(head -c 20 "$1" | tr -d '\r' | head -n 1 | cut -d ' ' -f 1)
  headers=$(grep -c '^#' "$1")
  lines=$(wc -l < "$1")
  [ "$lines" = $((announced + headers + 1)) ] && [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ]
}

# Stops a run of many replicates with a signal, then checks what is left.
interrupt() {
  local signal=$1 expected=$2 folder=$3
  shift 3
  mkdir "$folder"
  "$program" "$@" --manifest "$folder/list.csv" --quiet 2> "$folder.err" &
  local pid=$!
  # Anywhere from the first replicate to the fifth or so, but not before
  # the program has set up its handlers: until then a job started with '&'
  # from a script ignores SIGINT, and the signal would be lost.
  sleep "$((RANDOM % 2)).$((RANDOM % 9 + 1))"
  kill -s "$signal" "$pid"
  wait "$pid"
  local status=$?
  [ "$status" = "$expected" ] || fail "$folder: status $status after SIG$signal, not $expected"
  ls -A "$folder" | grep -q '^\.' && fail "$folder: a temporary file was left: $(ls -A "$folder")"
  [ -f "$folder/list.csv" ] || { fail "$folder: no manifest"; return; }
  local listed files
  listed=$(($(wc -l < "$folder/list.csv") - 1))
  files=$(find "$folder" -name 'r*' | wc -l)
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

# Each replicate takes a few tenths of a second, so that the signal comes
# before the last one; together they pass the LCG's cycle.
heavy=(generate --rect 0,0,3000,3000 --points 3000 --clusters 30 --radius 0.5 --model normal
       --seed 9 --replicates 40 --jobs 2 --allow-shared-stream)
interrupt INT 130 stop-int "${heavy[@]}" -o 'stop-int/r{n}.adf'
interrupt TERM 143 stop-term "${heavy[@]}" -o 'stop-term/r{n}.adf'

"$program" generate --rect 0,0,100,100 --points 5000 --centred --model uniform --seed 4 \
  --quiet -o many.adf || fail "the input of the walk"
interrupt INT 130 stop-walk walk many.adf --max-step 1 --steps 300 --passes 3 --replicates 9 \
  --jobs 2 --seed 8 -o 'stop-walk/r{n}-{pass}.out'
for file in stop-walk/r*.out; do
  [ -f "$file" ] || continue
  [ "$(wc -l < "$file")" = 5001 ] || fail "$file is not whole"
done

[ "$failures" = 0 ] || exit 1
echo "cli e2e: all passed"
