#!/usr/bin/env bash
# Builds the fuzz target with clang in build-fuzz and runs it for a bounded time:
# scripts/fuzz.sh [seconds, default 60]. Findings are written to build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
SECS="${1:-60}"
bash scripts/install-deps.sh
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDORSENA_FUZZ=ON -DDORSENA_TESTS=OFF -DDORSENA_BENCH=OFF
cmake --build build-fuzz -j2 --target fuzz_OrvaneRecv
mkdir -p build-fuzz/corpus build-fuzz/findings
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  ./build-fuzz/fuzz/fuzz_OrvaneRecv -max_total_time="$SECS" -timeout=10 -rss_limit_mb=4096 \
  -detect_leaks=0 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
  build-fuzz/corpus fuzz/seeds
