#!/usr/bin/env bash
# Checks that every C and C++ source follows the repository's .clang-format;
# names the files that do not (clang-format -i FILE fixes them).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find . -name '*.[ch]' -o -name '*.cpp')
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/dev/null; then
  echo "check-format: these files differ from .clang-format:" >&2
  for file in "${sources[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "  $file" >&2
  done
  exit 1
fi
echo "check-format: ${#sources[@]} files follow .clang-format"
