#!/usr/bin/env bash
# Builds the program for this machine and for aarch64 (Debian's
# g++-aarch64-linux-gnu, warnings as errors), runs the corpus of
# tools/corpus.sh with each (the aarch64 one under qemu-user), and compares
# every file byte for byte. Prints the count of identical files and each
# file that differs; fails on any difference. Then compares every stored
# double of tools/stored_values_probe.cpp in hexadecimal, and fails when one
# differs that comes from neither expl, sinl nor cosl.
#
#   tools/check_cross.sh            (make check-cross)
# NATIVE_DIR, CROSS_DIR and CORPUS_DIR name its folders; JOBS the build's
# parallel jobs.
set -u
cd "$(dirname "$0")/.." || exit 1
native_dir=${NATIVE_DIR:-build-check-native}
cross_dir=${CROSS_DIR:-build-aarch64}
corpus_dir=${CORPUS_DIR:-build-check-corpus}
jobs=${JOBS:-$(nproc 2> /dev/null || echo 2)}
flags=(-DSPARSIM_BUILD_TESTS=OFF -DSPARSIM_WARNINGS_AS_ERRORS=ON)

tools/check_deps.sh cross || exit 1
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
build "$cross_dir" aarch64 -DCMAKE_TOOLCHAIN_FILE=tools/aarch64-linux-gnu.cmake
emulator=(qemu-aarch64 -L /usr/aarch64-linux-gnu)

rm -rf "$corpus_dir"
native=$corpus_dir/native
arm=$corpus_dir/aarch64
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
# A file only the aarch64 run wrote differs too.
extra=$(comm -13 <(cd "$native" && find . -type f | sort) <(cd "$arm" && find . -type f | sort))
if [ -n "$extra" ]; then
  echo "only on aarch64: $extra"
  differ=$((differ + $(echo "$extra" | wc -l)))
fi
echo "check-cross: $same of $total files identical on aarch64 (qemu) and $(uname -m)"

# Every stored double in hexadecimal: only those that come from the C
# library's expl, sinl and cosl may differ (the normal and sinusoidal
# models, the walks); they are counted, not failed.
"$native_dir/sparsim_stored_values_probe" > "$corpus_dir/probe.native.txt"
"${emulator[@]}" "$cross_dir/sparsim_stored_values_probe" > "$corpus_dir/probe.aarch64.txt"
paste -d ' ' "$corpus_dir/probe.native.txt" "$corpus_dir/probe.aarch64.txt" | awk '
  { n = NF / 2; kind = $1 == "walk" || $1 == "parse" ? $1 : "set, model " $2 }
  { total++; if ($n != $NF) { differ++; by[kind]++ } }
  END {
    printf "check-cross: %d of %d stored values identical\n", total - differ, total
    for (k in by) printf "  differ: %-16s %d\n", k, by[k]
  }' | sort
unexpected=$(paste -d ' ' "$corpus_dir/probe.native.txt" "$corpus_dir/probe.aarch64.txt" | awk '
  { n = NF / 2 }
  $n != $NF && $1 != "walk" && $2 != "N" && $2 != "S" { print $1, $2, $3, $(n - 1) }' | head -5)
if [ -n "$unexpected" ]; then
  echo "check-cross: stored values differ that use neither expl, sinl nor cosl:"
  echo "$unexpected"
  differ=$((differ + 1))
fi
[ "$differ" = 0 ] && [ "$total" -gt 0 ]
