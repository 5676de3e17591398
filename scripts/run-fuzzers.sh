#!/usr/bin/env bash
# Runs each fuzz target in the given folder for a few seconds, starting from
# its corpus in fuzz/corpus/<name> (copied: the repository's corpus is kept
# as it is). Every input has a time limit; a crash, a hang or a leak prints
# the target's whole report, stack trace included, keeps the input that
# caused it, and fails the run. A folder without targets fails too.
set -euo pipefail
bin_dir=$1
seconds=${2:-20}
per_input=${ZELKORA_FUZZ_TIMEOUT:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
artifacts=${ZELKORA_FUZZ_ARTIFACTS:-$bin_dir/fuzz-artifacts}
mkdir -p "$artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-symbolize=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [[ -z ${ASAN_SYMBOLIZER_PATH:-} ]] && command -v llvm-symbolizer >/dev/null; then
  export ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer)
fi

shopt -s nullglob
count=0
failed=()
for target in "$bin_dir"/*_fuzz; do
  [[ -x $target ]] || continue
  name=$(basename "$target")
  seeds="$root/fuzz/corpus/${name%_fuzz}"
  if [[ ! -d $seeds ]] || [[ -z $(ls -A "$seeds") ]]; then
    echo "!! $name has no corpus in $seeds"
    failed+=("$name")
    continue
  fi
  work=$(mktemp -d)
  log=$(mktemp)
  cp -r "$seeds"/. "$work"/
  echo "-- $name for ${seconds}s"
  if "$target" -max_total_time="$seconds" -timeout="$per_input" -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work" >"$log" 2>&1; then
    grep -E '^Done' "$log" || tail -n 2 "$log"
  else
    echo "!! $name failed; its report:"
    cat "$log"
    failed+=("$name")
  fi
  rm -rf "$work" "$log"
  count=$((count + 1))
done
echo "fuzz targets run: $count"
if ((count == 0)); then
  echo "no fuzz target found in $bin_dir" >&2
  exit 1
fi
if ((${#failed[@]})); then
  echo "failed: ${failed[*]} (inputs kept in $artifacts)" >&2
  exit 1
fi
