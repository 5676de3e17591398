#!/usr/bin/env bash
# Runs each fuzz target in the given folder for a few seconds from its seed corpus.
set -euo pipefail
bin_dir=$1
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
count=0
for target in "$bin_dir"/*_fuzz; do
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds="$root/fuzz/corpus/${name%_fuzz}"
  [[ -d $seeds ]] && cp -r "$seeds"/. "$work"/
  echo "-- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
  count=$((count + 1))
done
echo "fuzz targets run: $count"
