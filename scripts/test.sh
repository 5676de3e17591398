#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the release
# build, the identifier names of its sources (clang-tidy) and its installed
# tree; the AddressSanitizer + UndefinedBehaviorSanitizer build with clang,
# whose ctest also replays every fuzz corpus and which also builds the
# libFuzzer targets; and a short run of each fuzz target, which
# fails on a crash (showing its stack) or when no target ran. First of all it
# counts the test code, which must stay at most 30% of all code lines.
# Compiles are cached by ccache between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
# Cached compiles are shared between checkouts: paths below the checkout are
# hashed relative to it.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
step() { echo "== $1 ($((SECONDS - start))s) =="; }

./scripts/install-deps.sh

step "test code share and formatting"
./scripts/count-test-lines.sh
./scripts/check-format.sh

step "release build"
cmake --preset release
cmake --build --preset release
step "identifier names (clang-tidy, cached per source)"
./scripts/check-names.sh build/release
step "release tests"
ctest --preset release
step "installed tree"
./scripts/check-install.sh build/release

step "sanitizer build (clang), with the fuzz targets"
cmake --preset asan
cmake --build --preset asan
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 ctest --preset asan

step "fuzz targets"
./scripts/run-fuzzers.sh build/asan/bin "${ZELKORA_FUZZ_SECONDS:-20}"
echo "== all tests passed in $((SECONDS - start))s =="
