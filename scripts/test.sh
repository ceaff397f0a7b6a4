#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Xvfb.
# SANITIZE=1 builds into build-asan with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ "${SANITIZE:-0}" = 1 ]; then
  export BUILD_DIR=${BUILD_DIR:-build-asan}
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  bash scripts/build.sh -DSONVIK_SANITIZE=ON -DSONVIK_BENCHMARKS=OFF
else
  export BUILD_DIR=${BUILD_DIR:-build}
  bash scripts/build.sh
fi
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 600 -j 2
