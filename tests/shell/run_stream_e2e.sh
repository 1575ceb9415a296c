#!/usr/bin/env bash
# The LCG's replicates and its cycle of 2^32 draws, checked from outside:
# the manifest's stream_start of every replicate is the position of its seed
# on the cycle, found here by a baby-step giant-step search of our own, and
# the pairs of replicates whose stretches meet, counted pair by pair, are the
# pairs the command reports. Then a set that needs more than the cycle: it
# stops with status 2, naming the set, its file holding distinct points.
set -u
program=$(realpath "$1")
python=$(command -v python3 || true)
if [ -z "$python" ]; then
  echo "stream e2e skipped: no python3"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# About 1.7e8 draws a replicate: 30 of them would pass the cycle, and even
# 12, at random places on it, meet.
sparse=(generate --rect 0,0,600,600 --points 4000 --clusters 5 --radius 2 --model normal
        --seed 77 --jobs 2 --quiet)
"$program" "${sparse[@]}" --replicates 30 -o 'r{n}.adf' 2> refused.err
[ $? = 1 ] || fail "30 replicates past the cycle were not refused"
grep -q -- '--generator philox' refused.err || fail "the refusal names no --generator philox"
[ -e r01.adf ] && fail "the refusal wrote a file"

"$program" "${sparse[@]}" --replicates 12 -o 'r{n}.adf' --manifest list.csv 2> run.err ||
  fail "the run of 12 replicates failed: $(cat run.err)"
reported=$(sed -n 's/^sparsim generate: \([0-9]*\) pairs\{0,1\} of the 12 replicates.*/\1/p' run.err)
"$python" - "$reported" << 'PY' || fail "the overlap report"
import csv, sys

M, A = 1 << 32, 134775813
A_INVERSE = pow(A, -1, M)

# The state at position p, from the state 0, by repeated squaring of the step.
def jump(p):
    mul, add, sq_mul, sq_add = 1, 0, A, 1
    while p:
        if p & 1:
            mul, add = mul * sq_mul % M, (add * sq_mul + sq_add) % M
        sq_mul, sq_add = sq_mul * sq_mul % M, (sq_add * sq_mul + sq_add) % M
        p >>= 1
    return add

# Baby-step giant-step: position 2^16 g + b where jump(2^16 g) is the state
# taken b steps back.
giants = {jump(g << 16): g for g in range(1 << 16)}
def position(state):
    for b in range(1 << 16):
        if state in giants:
            return (giants[state] << 16) + b
        state = (state - 1) * A_INVERSE % M
    raise ValueError("no position")

rows = list(csv.DictReader(open("list.csv")))
stretches = []
for row in rows:
    start = position(int(row["seed"]) % M)
    assert start == int(row["stream_start"]), (row, start)
    stretches.append((start, int(row["draws"])))
def meet(a, b):
    (p, m), (q, n) = a, b
    return m > 0 and n > 0 and ((q - p) % M < m or (p - q) % M < n)
pairs = sum(meet(stretches[i], stretches[j])
            for i in range(len(stretches)) for j in range(i + 1, len(stretches)))
reported = sys.argv[1]
print(f"{pairs} pairs of {len(rows)} replicates meet; reported: {reported or 'nothing'}")
assert len(rows) == 12 and pairs > 0 and reported == str(pairs)
PY

# 4.9e9 candidates: the set stops at the end of the cycle.
"$program" generate --seed 3 --rect 0,0,3500,3500 --points 10000 --clusters 5 --radius 2 \
  --no-seeds-as-points --model N --allow-shared-stream --quiet -o long.adf 2> long.err
status=$?
[ "$status" = 2 ] || fail "the exhausted set ended with status $status, not 2"
grep -q 'replicate 1 (long.adf)' long.err || fail "the message names no set: $(cat long.err)"
announced=$(head -n 1 long.adf | cut -d ' ' -f 1)
points=$(grep -vc '^#' long.adf)
distinct=$(grep -v '^#' long.adf | sort -u | wc -l)
[ "$points" = $((announced + 1)) ] || fail "long.adf announces $announced points, holds $((points - 1))"
[ "$distinct" = "$points" ] || fail "long.adf repeats points: $distinct distinct lines of $points"
[ "$announced" -lt 10000 ] || fail "long.adf holds all its points"

[ "$failures" = 0 ] || exit 1
echo "stream e2e: all passed"
