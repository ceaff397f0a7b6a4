#!/usr/bin/env bash
# Times sonvik-analyze end to end (detection, tracking, every CSV; no
# resynthesis) on a generated 1,000,000-sample 44.1 kHz tone, then runs the
# core benchmarks. Release build in build-release.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DSONVIK_WITH_GUI=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target sonvik-analyze sonvik-make-samples \
  bench_spectrum bench_tracker bench_resynthesis bench_format >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BUILD_DIR"/tools/samples/sonvik-make-samples --benchmark "$work/tone-1M.wav"
runs=${RUNS:-5}
echo "sonvik-analyze on 1,000,000 samples at 44.1 kHz (window 2048, detection on), $runs runs:"
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  "$BUILD_DIR"/tools/analyze/sonvik-analyze --quiet -o "$work/out" "$work/tone-1M.wav"
  end=$(date +%s%N)
  echo "  run $i: $(( (end - start) / 1000000 )) ms wall"
done
echo "CSV written: $(du -sh "$work/out" | cut -f1)"
for b in bench_spectrum bench_tracker bench_resynthesis bench_format; do
  "$BUILD_DIR"/bench/$b --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
done
