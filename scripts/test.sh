#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the release
# build, the identifier names of its sources (clang-tidy) and its installed
# tree; the AddressSanitizer + UndefinedBehaviorSanitizer build with clang,
# whose ctest also replays every fuzz corpus and which also builds the
# libFuzzer targets; and a short run of each fuzz target, which
# fails on a crash (showing its stack) or when no target ran. First of all it
# counts the test code, which must stay at most 30% of all code lines.
# Compiles are cached by ccache between runs and checkouts, links go through
# lld, and sources are compiled in batches (README.md: how long it takes).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
# Cached compiles are shared between checkouts: paths below the checkout are
# hashed relative to it.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
# Each step names the time so far, wall clock and CPU (user + system of every
# finished child): the machine is shared, so the CPU figure is the one to
# compare between runs.
cpu_times=$(mktemp)
trap 'rm -f "$cpu_times"' EXIT
# `times` runs in this shell: a subshell would not see the children's times.
cpu_seconds() {
  awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$cpu_times"
}
step() {
  times >"$cpu_times"
  echo "== $1 ($((SECONDS - start))s, CPU $(cpu_seconds)s) =="
}

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
./scripts/run-fuzzers.sh build/asan/bin "${ZELKORA_FUZZ_SECONDS:-10}"
times >"$cpu_times"
echo "== all tests passed in $((SECONDS - start))s, CPU $(cpu_seconds)s =="
