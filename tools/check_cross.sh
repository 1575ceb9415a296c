#!/usr/bin/env bash
# Builds the program for this machine and for another processor (Debian's
# cross compilers, warnings as errors), runs the corpus of tools/corpus.sh
# with each (the other one under qemu-user), and compares every file byte
# for byte. Prints the count of identical files and each file that differs;
# fails on any difference. Then compares every stored double of
# tools/stored_values_probe.cpp in hexadecimal, counts those that differ by
# kind with the size of the difference in units in the last place, and
# fails when one differs that comes from neither expl, sinl nor cosl.
#
#   tools/check_cross.sh            aarch64 (make check-cross)
#   tools/check_cross.sh armhf      32-bit ARM, whose long double is double
#                                   (docs/portability.md: files differ there)
# NATIVE_DIR, CROSS_DIR and CORPUS_DIR name its folders; JOBS the build's
# parallel jobs.
set -u
cd "$(dirname "$0")/.." || exit 1
target=${1:-aarch64}
case $target in
  aarch64) triple=aarch64-linux-gnu emulator=(qemu-aarch64 -L /usr/aarch64-linux-gnu) ;;
  armhf) triple=arm-linux-gnueabihf emulator=(qemu-arm -L /usr/arm-linux-gnueabihf) ;;
  *)
    echo "usage: $0 [aarch64|armhf]" >&2
    exit 2
    ;;
esac
native_dir=${NATIVE_DIR:-build-check-native}
cross_dir=${CROSS_DIR:-build-$target}
corpus_dir=${CORPUS_DIR:-build-check-corpus}
[ "$target" = aarch64 ] || corpus_dir=${CORPUS_DIR:-build-check-corpus-$target}
jobs=${JOBS:-$(nproc 2> /dev/null || echo 2)}
flags=(-DSPARSIM_BUILD_TESTS=OFF -DSPARSIM_WARNINGS_AS_ERRORS=ON)

tools/check_deps.sh "cross-$target" || exit 1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# build FOLDER WHAT [CMAKE ARGUMENTS...]: configures and builds the program
# and the probe of stored values, showing the output only when it fails.
build() {
  local folder=$1 what=$2
  shift 2
  if ! { cmake -S . -B "$folder" "${flags[@]}" "$@" &&
    cmake --build "$folder" --parallel "$jobs" --target sparsim sparsim_stored_values_probe; } \
    > "$log" 2>&1; then
    cat "$log" >&2
    echo "check-cross: the $what build failed" >&2
    exit 1
  fi
}
build "$native_dir" native
build "$cross_dir" "$target" "-DCMAKE_TOOLCHAIN_FILE=tools/$triple.cmake"

rm -rf "$corpus_dir"
native=$corpus_dir/native
arm=$corpus_dir/$target
tools/corpus.sh "$native" "$native_dir/sparsim" || exit 1
tools/corpus.sh "$arm" "$cross_dir/sparsim" "${emulator[@]}" || exit 1

total=0
same=0
differ=0
while IFS= read -r file; do
  total=$((total + 1))
  if cmp -s "$native/$file" "$arm/$file"; then
    same=$((same + 1))
  else
    differ=$((differ + 1))
    echo "differs: $file"
  fi
done < <(cd "$native" && find . -type f | sed 's|^\./||' | sort)
# A file only the other run wrote differs too.
extra=$(comm -13 <(cd "$native" && find . -type f | sort) <(cd "$arm" && find . -type f | sort))
if [ -n "$extra" ]; then
  echo "only on $target: $extra"
  differ=$((differ + $(echo "$extra" | wc -l)))
fi
echo "check-cross: $same of $total files identical on $target (qemu) and $(uname -m)"

# Every stored double in hexadecimal: only those that come from the C
# library's expl, sinl and cosl may differ (the normal and sinusoidal
# models, the walks); they are counted, not failed.
"$native_dir/sparsim_stored_values_probe" > "$corpus_dir/probe.native.txt"
"${emulator[@]}" "$cross_dir/sparsim_stored_values_probe" > "$corpus_dir/probe.$target.txt"
paste -d ' ' "$corpus_dir/probe.native.txt" "$corpus_dir/probe.$target.txt" | awk '
  # The significand of a double printed by %a as an integer (53 bits, exact
  # in awk), its exponent in exponent[1]; false for what is not finite.
  function split_hex(text, exponent,   lead, fraction, i, value) {
    sub(/^-/, "", text)
    if (text !~ /^0x/) return 0
    lead = substr(text, 3, 1)
    fraction = text ~ /\./ ? substr(text, index(text, ".") + 1) : ""
    sub(/p.*/, "", fraction)
    exponent[1] = substr(text, index(text, "p") + 1) + 0
    while (length(fraction) < 13) fraction = fraction "0"
    value = lead + 0
    for (i = 1; i <= 13; i++) value = value * 16 + index("0123456789abcdef", substr(fraction, i, 1)) - 1
    return value
  }
  # The difference in units in the last place of the smaller; -1 where the
  # signs differ or a value is not finite.
  function ulps(a, b,   ea, eb, ma, mb, low) {
    if ((a ~ /^-/) != (b ~ /^-/)) return -1
    ma = split_hex(a, ea)
    mb = split_hex(b, eb)
    if (ma == 0 && a !~ /^-?0x0/ || mb == 0 && b !~ /^-?0x0/) return -1
    if (ma == 0) ea[1] = eb[1]
    if (mb == 0) eb[1] = ea[1]
    low = ea[1] < eb[1] ? ea[1] : eb[1]
    ma = ma * 2 ^ (ea[1] - low)
    mb = mb * 2 ^ (eb[1] - low)
    return ma > mb ? ma - mb : mb - ma
  }
  { n = NF / 2; kind = $1 == "walk" || $1 == "parse" ? $1 : "set, model " $2 }
  { total++ }
  $n != $NF {
    differ++
    by[kind]++
    u = ulps($n, $NF)
    if (u < 0) other[kind]++
    else if (u <= 1) one[kind]++
    else if (u <= 2) two[kind]++
    else many[kind]++
    if (u > most[kind]) most[kind] = u
  }
  END {
    printf "check-cross: %d of %d stored values identical\n", total - differ, total
    fflush()
    for (k in by) {
      printf "  differ: %-16s %d (1 ulp %d, 2 ulps %d, more %d, sign or not finite %d;" \
        " at most %g ulps)\n", k, by[k], one[k], two[k], many[k], other[k], most[k] | "sort"
    }
    close("sort")
  }'
unexpected=$(paste -d ' ' "$corpus_dir/probe.native.txt" "$corpus_dir/probe.$target.txt" | awk '
  { n = NF / 2 }
  $n != $NF && $1 != "walk" && $2 != "N" && $2 != "S" { print $1, $2, $3, $(n - 1) }' | head -5)
if [ -n "$unexpected" ]; then
  echo "check-cross: stored values differ that use neither expl, sinl nor cosl:"
  echo "$unexpected"
  differ=$((differ + 1))
fi
[ "$differ" = 0 ] && [ "$total" -gt 0 ]
