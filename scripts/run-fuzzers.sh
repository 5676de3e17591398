#!/usr/bin/env bash
# Runs each fuzz target in the given folder for a few seconds, two at a time
# (ZELKORA_FUZZ_JOBS), starting from its corpus in fuzz/corpus/<name> (copied:
# the repository's corpus is kept as it is). Every input has a time limit; a
# crash, a hang or a leak prints the target's whole report, stack trace
# included, keeps the input that caused it, and fails the run. A folder
# without targets fails too.
set -euo pipefail
bin_dir=$1
seconds=${2:-20}
per_input=${ZELKORA_FUZZ_TIMEOUT:-10}
jobs=${ZELKORA_FUZZ_JOBS:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
artifacts=${ZELKORA_FUZZ_ARTIFACTS:-$bin_dir/fuzz-artifacts}
mkdir -p "$artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-symbolize=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [[ -z ${ASAN_SYMBOLIZER_PATH:-} ]] && command -v llvm-symbolizer >/dev/null; then
  export ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer)
fi

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# One target: its report goes to $results/<name>.log, its outcome to .ok or .failed.
fuzz_one() {
  local target=$1 name seeds work
  name=$(basename "$target")
  seeds="$root/fuzz/corpus/${name%_fuzz}"
  if [[ ! -d $seeds ]] || [[ -z $(ls -A "$seeds") ]]; then
    echo "!! $name has no corpus in $seeds" >"$results/$name.log"
    touch "$results/$name.failed"
    return
  fi
  work=$(mktemp -d)
  cp -r "$seeds"/. "$work"/
  if "$target" -max_total_time="$seconds" -timeout="$per_input" -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work" \
       >"$results/$name.log" 2>&1; then
    touch "$results/$name.ok"
  else
    touch "$results/$name.failed"
  fi
  rm -rf "$work"
}

shopt -s nullglob
targets=()
for target in "$bin_dir"/*_fuzz; do
  [[ -x $target ]] && targets+=("$target")
done
if ((${#targets[@]} == 0)); then
  echo "no fuzz target found in $bin_dir" >&2
  exit 1
fi
echo "-- ${#targets[@]} fuzz targets, ${seconds}s each, $jobs at a time"
for target in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  fuzz_one "$target" &
done
wait

failed=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  if [[ -e $results/$name.ok ]]; then
    echo "-- $name: $(grep -E '^Done' "$results/$name.log" || tail -n 1 "$results/$name.log")"
  else
    echo "!! $name failed; its report:"
    cat "$results/$name.log"
    failed+=("$name")
  fi
done
echo "fuzz targets run: ${#targets[@]}"
if ((${#failed[@]})); then
  echo "failed: ${failed[*]} (inputs kept in $artifacts)" >&2
  exit 1
fi
