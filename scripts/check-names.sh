#!/usr/bin/env bash
# Checks the names in the product code against .clang-tidy (identifier
# naming), source by source from a built tree's compile database:
# build/release unless another build folder is given. Prints FILE:LINE of
# every name that breaks the style and fails.
#
# A source that passed is not checked again while nothing it is made of has
# changed: its result is cached under a hash of its contents, of every
# project header it includes (as the build recorded them), of its compile
# command and of the .clang-tidy files. The cache is shared by all checkouts
# (ZELKORA_TIDY_CACHE, default ~/.cache/zelkora-tidy).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/release}
jobs=${ZELKORA_TIDY_JOBS:-2}
cache=${ZELKORA_TIDY_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zelkora-tidy}
product='^(app|capture|cli|common|hardware|interchange|lib|platform|registers|winio)/'

if [[ ! -f $build/compile_commands.json ]]; then
  echo "check-names: $build/compile_commands.json is missing; configure and build that tree first" >&2
  exit 2
fi
mkdir -p "$cache"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Each product source with its compile command, the checkout's path taken out
# so that every checkout shares the cache.
awk -v root="$root/" '
  /^  "command": / { command = $0 }
  /^  "file": / {
    file = $0; sub(/^  "file": "/, "", file); sub(/",?$/, "", file)
    if (index(file, root) == 1) file = substr(file, length(root) + 1)
    gsub(root, "", command); print file "\t" command
  }' "$build/compile_commands.json" |
  grep -E "$product|^$build/${product#^}.*/Unity/unity_[0-9]+_cxx\.cxx	" | sort -u -k1,1 >"$tmp/sources"

# The project files each object was built from (ninja keeps the compiler's
# dependency lists): the source first, then its headers, system headers left
# out. Paths are relative to the build folder or absolute.
ninja -C "$build" -t deps | awk -v root="$root/" '
  /^[^ ].*: #deps/ { source = ""; next }
  /^    / {
    path = substr($0, 5)
    if (path ~ /^\// && index(path, root) != 1) next
    if (source == "") source = path
    print source "\t" path
  }' >"$tmp/deps.raw"
cut -f1,2 --output-delimiter=$'\n' "$tmp/deps.raw" | sort -u >"$tmp/paths"
(cd "$build" && xargs -r realpath -m --relative-to="$root" --) <"$tmp/paths" >"$tmp/resolved"
paste "$tmp/paths" "$tmp/resolved" >"$tmp/path-map"
awk -F'\t' 'NR == FNR { to[$1] = $2; next } { print to[$1] "\t" to[$2] }' \
  "$tmp/path-map" "$tmp/deps.raw" | sort -u >"$tmp/deps"
cut -f2 "$tmp/deps" | sort -u | xargs -r sha256sum >"$tmp/file-hashes"

# What every result depends on: the tool and the configuration.
mapfile -t configs < <(find . \( -path ./build -o -path ./.git \) -prune -o -name .clang-tidy -print |
  sort)
common_key=$({
  clang-tidy --version
  for config in "${configs[@]}"; do echo "$config"; cat "$config"; done
} | sha256sum | cut -d' ' -f1)

# The key of each source; those without a cached pass are checked.
awk -F'\t' -v common="$common_key" '
  NR == FNR { split($0, h, "  "); hash[h[2]] = h[1]; next }
  FILENAME ~ /deps$/ { own[$1] = own[$1] $2 " " hash[$2] "\n"; next }
  { printf "%s\t%s\n%s%s\n\x1e\n", $1, common, $2, own[$1] }' \
  "$tmp/file-hashes" "$tmp/deps" "$tmp/sources" >"$tmp/key-input"
: >"$tmp/todo"
checked=0 cached=0
while IFS= read -r -d $'\x1e' record; do
  record=${record#$'\n'}
  [[ -z $record ]] && continue
  source=${record%%$'\t'*}
  key=$(printf '%s' "$record" | sha256sum | cut -d' ' -f1)
  # A source the build recorded nothing for cannot be keyed: always checked.
  if grep -q "^$source	" "$tmp/deps" && [[ -f $cache/$key ]]; then
    touch "$cache/$key"
    cached=$((cached + 1))
  else
    printf '%s %s\n' "$source" "$key" >>"$tmp/todo"
    checked=$((checked + 1))
  fi
done <"$tmp/key-input"

# A batch of sources compiled as one unit includes them by their full paths:
# they are checked as its headers are, and only the checkout's own files are.
folders='(app|cli|common|capture|hardware|interchange|lib|platform|registers|winio)'
header_filter="^$root/($folders/([a-z]+/)?[a-z0-9_]+\.(h|cpp)|(winio/)?include/(zelkora|winio)/[a-z0-9_]+\.h)\$"
check_source() {
  if clang-tidy --quiet --header-filter="$header_filter" -p "$build" "$1" >"$tmp/$2.log" 2>&1; then
    touch "$cache/$2"
  else
    echo "$1 $2" >>"$tmp/failed"
  fi
}
export -f check_source
export build tmp cache header_filter
xargs -r -P "$jobs" -n 2 bash -c 'check_source "$@"' _ <"$tmp/todo"

# Old results nobody asked for in a month go.
find "$cache" -type f -mtime +30 -delete 2>/dev/null || true

if [[ -s $tmp/failed ]]; then
  echo "check-names: names that do not follow .clang-tidy:" >&2
  while read -r source key; do
    if ! grep -E '^[^ ]+:[0-9]+:[0-9]+: (error|warning):' "$tmp/$key.log"; then
      echo "$source: clang-tidy failed:"
      tail -n 20 "$tmp/$key.log"
    fi
  done <"$tmp/failed" | while IFS= read -r line; do
    # Paths relative to the checkout, each place once.
    if [[ $line =~ ^(/[^:]+)(:[0-9]+:[0-9]+: .*)$ ]]; then
      line="$(realpath -m --relative-to="$root" "${BASH_REMATCH[1]}")${BASH_REMATCH[2]}"
    fi
    echo "  $line"
  done | awk '!seen[$0]++' >&2
  exit 1
fi
echo "check-names: $((checked + cached)) sources follow .clang-tidy ($checked checked, $cached unchanged)"
