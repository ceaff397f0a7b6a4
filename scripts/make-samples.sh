#!/usr/bin/env bash
# Regenerates the demo tones in samples/ (deterministic: same bytes every run).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target sonvik-make-samples -j "$(nproc)"
"$BUILD_DIR"/tools/samples/sonvik-make-samples samples
ls -l samples/*.wav
