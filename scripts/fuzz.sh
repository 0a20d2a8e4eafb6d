#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# their own tree, $QF_BUILD/fuzz, and runs TARGET, or every target one after the other, for
# SECONDS each (default 60). A target is tests/fuzz/TARGET_fuzz.cpp.
# Seeds: tests/fuzz/seeds/TARGET/ (kept in git, with every input that once found a fault), and
# those written fresh into the build tree (hand-made archives and images, the packed sample
# payload, the licence text). What the fuzzer finds stays in $QF_BUILD/fuzz/corpus/TARGET for
# the next run; an input that breaks a target is left in $QF_BUILD/fuzz/crashes/.
#   scripts/fuzz.sh 600 settings_block
# Fails when a target does not build, or when any target finds a fault (the others still run).
set -euo pipefail
source "$(dirname "$0")/prologue.sh"
seconds=${1:-60}
fuzz=$build/fuzz

if [ -n "${2:-}" ]; then
  targets=("$2")
  [ -f "tests/fuzz/$2_fuzz.cpp" ] || { echo "fuzz.sh: no target $2 (tests/fuzz/$2_fuzz.cpp)" >&2; exit 2; }
else
  targets=()
  for source in tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

[ -f "$fuzz/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S . -B "$fuzz" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DQF_FUZZ=ON >/dev/null
cmake --build "$fuzz" --target fuzz_seeds qfpack "${targets[@]/%/_fuzz}"

seeds=$fuzz/seeds
rm -rf "$seeds"
"$fuzz/tests/fuzz/fuzz_seeds" "$seeds"
"$fuzz/tools/qfpack/qfpack" pack resources/payload "$seeds/archive/sample-payload"
mkdir -p "$seeds/licence_text" && cp resources/licence.txt "$seeds/licence_text/licence.txt"

mkdir -p "$fuzz/crashes"
status=0
for target in "${targets[@]}"; do
  corpus=$fuzz/corpus/$target
  mkdir -p "$corpus"
  inputs=("$corpus")
  for dir in "$seeds/$target" "tests/fuzz/seeds/$target"; do
    [ -d "$dir" ] && inputs+=("$dir")
  done
  echo "== $target: ${seconds} s"
  "$fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$fuzz/crashes/$target-" "${inputs[@]}" || { echo "== $target: FAILED"; status=1; }
done
exit $status
