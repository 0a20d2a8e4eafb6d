#!/usr/bin/env bash
# Both archive benchmarks on a payload of the shipped archive's shape (66,688,362 bytes, 1,306
# files in 5 directories), each against its reference in the same run:
#   1. the checksum pass against a memchr scan of the same bytes (native, Google Benchmark);
#   2. extraction under Wine against a minimal writer of the same files.
# Uses the build folder $QF_BUILD (default build/); the payload is made once into it.
#   bench/run_archive_bench.sh [ROUNDS]
set -euo pipefail
# The extraction runs in the Windows tree of this machine's road.
source "$(dirname "$0")/../scripts/prologue.sh"
rounds=${1:-9}
work=$build/bench
make_payload=$root/../shared/bench/make_payload.py

if [ ! -f "$build/host/CMakeCache.txt" ] || [ ! -f "$build/$QF_WIN_TREE/CMakeCache.txt" ]; then
  scripts/build.sh
fi
cmake --build "$build/host" --target verify_bench qfpack
cmake --build "$build/$QF_WIN_TREE" --target extract_bench

mkdir -p "$work"
if [ ! -f "$work/payload.bin" ]; then
  rm -rf "$work/tree"
  python3 "$make_payload" "$work/tree"
  "$build/host/tools/qfpack/qfpack" pack "$work/tree" "$work/payload.bin"
fi

echo "== checksum pass against memchr"
"$build/host/bench/verify_bench" "$work/payload.bin" --benchmark_repetitions=10 \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/verify.json" --benchmark_out_format=json
python3 - "$work/verify.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r["real_time"] for r in runs if r.get("aggregate_name") == "median"}
verify, memchr, floor = median["VerifyArchive"], median["MemchrScan"], median["MemchrNoMatch"]
print("median: VerifyArchive %.2f ms, memchr scan of the same bytes %.2f ms, ratio %.3f"
      % (verify, memchr, verify / memchr))
print("        memchr of as many bytes without a match %.2f ms, ratio %.3f" % (floor, verify / floor))
PY

echo "== extraction under Wine against a minimal writer"
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$build/bench-prefix"
# The tree goes to C:, the prefix's own drive, as an installation would.
wine "$build/$QF_WIN_TREE/bench/extract_bench.exe" "Z:${work//\//\\}\\payload.bin" 'C:\bench' "$rounds"
