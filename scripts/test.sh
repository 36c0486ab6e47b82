#!/usr/bin/env bash
# Builds Dorsena and runs its tests. With --sanitize: AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
DIR=build
FLAGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  DIR=build-asan
  FLAGS=(-DCMAKE_BUILD_TYPE=Debug -DDORSENA_SANITIZE=ON)
fi
cmake -S . -B "$DIR" "${FLAGS[@]}"
cmake --build "$DIR" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$DIR" --output-on-failure -j2
