#!/usr/bin/env bash
# Counts the lines of test code (every .cpp, .h and .c file under tests/ and
# fuzz/: the tests, the fuzz harnesses and their support) against every other
# C and C++ line the repository tracks, prints both and the tests' share, and
# fails when that share is above the limit (30% unless given).
# Expected data under tests/data/ is no code and does not count.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-30}

lines() { xargs -r -d '\n' cat -- | wc -l; }
files=$(git ls-files -- '*.cpp' '*.h' '*.c')
tests=$(grep -E '^(tests|fuzz)/' <<<"$files" | grep -v '^tests/data/' | lines || true)
others=$(grep -vE '^(tests|fuzz)/' <<<"$files" | lines || true)
total=$((tests + others))
(( total > 0 )) || { echo "count-test-lines: no C or C++ file is tracked" >&2; exit 2; }
# The share in tenths of a percent, rounded.
share=$(( (tests * 1000 + total / 2) / total ))
printf 'test code: %d lines, other code: %d lines, tests %d.%d%% of all (limit %d%%)\n' \
  "$tests" "$others" $((share / 10)) $((share % 10)) "$limit"
if (( tests * 100 > limit * total )); then
  echo "count-test-lines: test code is above ${limit}% of all code lines" >&2
  exit 1
fi
