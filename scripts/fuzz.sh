#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# their own tree, $QF_BUILD/fuzz, and runs the archive target for SECONDS (default 60).
# Seeds are written fresh into the build tree: hand-made archives and the packed sample payload;
# what the fuzzer finds stays in $QF_BUILD/fuzz/corpus/archive for the next run.
#   scripts/fuzz.sh 600
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
build=$(realpath -m "${QF_BUILD:-build}")/fuzz
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

[ -f "$build/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S . -B "$build" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DQF_FUZZ=ON >/dev/null
cmake --build "$build" --target archive_fuzz archive_fuzz_seeds qfpack

seeds=$build/seeds/archive
corpus=$build/corpus/archive
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
"$build/tests/fuzz/archive_fuzz_seeds" "$seeds"
"$build/tools/qfpack/qfpack" pack resources/payload "$seeds/sample-payload"

mkdir -p "$build/crashes"
"$build/tests/fuzz/archive_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/crashes/" "$corpus" "$seeds"
