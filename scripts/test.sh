#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the release
# build and its installed tree, the AddressSanitizer + UndefinedBehaviorSanitizer
# build (each one's ctest also replays every fuzz corpus), and a short run of
# each fuzz target, which fails on a crash (showing its stack) or when no
# target ran. First of all it counts the test code, which must stay at most
# 30% of all code lines.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

echo "== test code share =="
./scripts/count-test-lines.sh

for preset in release asan; do
  echo "== $preset build =="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  echo "== $preset tests =="
  ASAN_OPTIONS=detect_leaks=1 ctest --preset "$preset"
  if [[ $preset == release ]]; then
    echo "== installed tree =="
    ./scripts/check-install.sh build/release
  fi
done

echo "== fuzz targets =="
cmake --preset fuzz
cmake --build --preset fuzz
./scripts/run-fuzzers.sh build/fuzz/bin "${ZELKORA_FUZZ_SECONDS:-20}"
