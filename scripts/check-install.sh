#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR and checks the installed tree as
# users and programmers meet it: the installed programs run from another
# folder with no library path set, on the demo board installed beside them;
# a C program builds against a tree installed with --prefix elsewhere through
# pkg-config and through the CMake package; the desktop entry, metainfo and
# manual pages validate.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
prefix=$(cache_value CMAKE_INSTALL_PREFIX)
libdir=$(cache_value CMAKE_INSTALL_LIBDIR)
[[ $libdir == /* ]] || libdir=$prefix/$libdir

stage=$(mktemp -d)
pid=
cleanup() {
  [[ -z $pid ]] || kill "$pid" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT
destdir=$stage/root
tree=$destdir$prefix
lib=$destdir$libdir
data=$tree/share/zelkora
mkdir -p "$stage/elsewhere" "$stage/run"
chmod 700 "$stage/run"

fail() {
  echo "check-install: $*" >&2
  exit 1
}

echo "-- install into a DESTDIR"
DESTDIR=$destdir cmake --install "$build" >"$stage/install.log"
for file in bin/zelkora-cli include/zelkora/sysinfo.h share/zelkora/SuperIOInfo.txt \
  share/zelkora/SuperIOInfo.dat share/zelkora/registers.json share/zelkora/zelkora.schema.json \
  share/zelkora/machines/demo.json share/man/man1/zelkora-cli.1.gz; do
  [[ -f $tree/$file ]] || fail "$file is not installed"
done
[[ -e $lib/libwinio.so ]] || fail "the driver is not installed beside the library"
soname=$(readelf -d "$lib/libzelkora-sysinfo.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname == libzelkora-sysinfo.so.1 ]] || fail "the library's SONAME is '$soname'"
# The library and the programs share one common library, installed beside it.
common=$(readelf -d "$lib/libzelkora-sysinfo.so" | sed -n 's/.*(NEEDED).*\[\(libzelkora-common[^]]*\)\]/\1/p')
[[ -n $common && -f $lib/$common ]] || fail "the common library '$common' is not installed beside the library"

# What a user's shell has: no library path, no machine unless named.
run_clean() { (cd "$stage/elsewhere" && exec env -i PATH=/usr/bin:/bin HOME="$stage" "$@"); }
demo=$data/machines/demo.json

echo "-- installed zelkora-cli on the installed demo board"
run_clean ZELKORA_MACHINE="$demo" "$tree/bin/zelkora-cli" list >"$stage/list.txt" ||
  fail "zelkora-cli list exited with $?"
# The chip's name comes from SuperIOInfo.txt, found from the installed library.
chip="Winbond W83627HF/F/HG/G"
grep -qF "$chip" "$stage/list.txt" || fail "zelkora-cli did not name the Super-I/O chip"

# Register names come from registers.json, found from the installed program.
run_clean ZELKORA_MACHINE="$demo" "$tree/bin/zelkora-cli" pci-get 00:00.0 COMMAND >"$stage/get.txt" ||
  fail "zelkora-cli pci-get exited with $?"
grep -qF "04h Command = 0006h: I/O- Mem+" "$stage/get.txt" || fail "zelkora-cli pci-get did not decode the register"

# Its manual page names every command and option that its --help names.
help=$(run_clean ZELKORA_MACHINE="$demo" "$tree/bin/zelkora-cli" --help 2>&1) || true
if grep -qi '^usage' <<<"$help"; then
  page=$(gzip -dc "$tree/share/man/man1/zelkora-cli.1.gz" | sed 's/\\-/-/g')
  words=$( (grep -oE -- '--[a-z][a-z-]*' <<<"$help"; awk '/^ +[a-z]/ {print $1}' <<<"$help") | sort -u)
  for word in $words; do
    grep -qwF -- "$word" <<<"$page" || fail "zelkora-cli --help names '$word'; its manual page does not"
  done
fi

if [[ -x $tree/bin/zelkora ]]; then
  echo "-- installed zelkora, offscreen"
  # The program is modal; it is up once it holds its instance lock and has
  # bound the driver beside the installed library. Then it is ended.
  (cd "$stage/elsewhere" && exec env -i PATH=/usr/bin:/bin HOME="$stage" XDG_RUNTIME_DIR="$stage/run" \
    ZELKORA_MACHINE="$demo" "$tree/bin/zelkora" -platform offscreen) >"$stage/zelkora.log" 2>&1 &
  pid=$!
  for _ in $(seq 600); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && status=0 || status=$?
      fail "zelkora ended with status $status: $(cat "$stage/zelkora.log")"
    fi
    grep -q "$lib/libwinio.so" "/proc/$pid/maps" 2>/dev/null && break
    sleep 0.1
  done
  grep -q "$lib/libzelkora-sysinfo.so" "/proc/$pid/maps" ||
    fail "zelkora did not load the installed library"
  grep -q "$lib/libwinio.so" "/proc/$pid/maps" || fail "zelkora did not bind the installed driver"
  grep -q "$lib/$common" "/proc/$pid/maps" || fail "zelkora did not load the installed common library"
  flock -n "$stage/run/{F5EFF561-ECB3-11d1-A18D-DCB3C85EBD34}" true &&
    fail "zelkora does not hold its instance lock"
  kill "$pid"
  wait "$pid" || true
  pid=
fi

# Programmers build against a tree installed anywhere: --prefix names another
# folder than the one configured, and the pkg-config file and the CMake
# package must find the header and the library there.
echo "-- install with --prefix into another folder"
moved=$stage/elsewhere-prefix
cmake --install "$build" --prefix "$moved" >"$stage/install-prefix.log"
moved_lib=$(dirname "$(find "$moved" -name libzelkora-sysinfo.so -print -quit)")
demo=$moved/share/zelkora/machines/demo.json

echo "-- a C program through pkg-config"
consumer_source=$root/tests/dist/consumer/consumer.c
export PKG_CONFIG_LIBDIR=$moved_lib/pkgconfig
read -r -a flags <<<"$(pkg-config --cflags --libs zelkora-sysinfo)"
cc -std=c99 -Wall -Wextra -Werror "$consumer_source" "${flags[@]}" -Wl,-rpath,"$moved_lib" \
  -o "$stage/consumer-pkg-config"
unset PKG_CONFIG_LIBDIR
expected="Super-I/O: $chip"
output=$(run_clean ZELKORA_MACHINE="$demo" "$stage/consumer-pkg-config")
grep -qxF "$expected" <<<"$output" || fail "pkg-config consumer printed: $output"

echo "-- a C program through find_package(ZelkoraSysinfo)"
cmake -S "$root/tests/dist/consumer" -B "$stage/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$moved" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >"$stage/consumer.log" ||
  fail "configuring the CMake consumer failed: $(cat "$stage/consumer.log")"
cmake --build "$stage/consumer" >>"$stage/consumer.log" ||
  fail "building the CMake consumer failed: $(cat "$stage/consumer.log")"
output=$(run_clean ZELKORA_MACHINE="$demo" "$stage/consumer/consumer")
grep -qxF "$expected" <<<"$output" || fail "CMake consumer printed: $output"
grep -q "^PCI functions: [1-9]" <<<"$output" || fail "CMake consumer printed: $output"

echo "-- desktop entry, metainfo, icons, manual pages"
shopt -s nullglob
for entry in "$tree"/share/applications/*.desktop; do
  desktop-file-validate "$entry"
done
for metainfo in "$tree"/share/metainfo/*.xml; do
  appstreamcli validate --no-net --explain "$metainfo"
  echo
done
for icon in "$tree"/share/icons/hicolor/*x*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  file "$icon" | grep -q "${size/x/ x }," || fail "$icon is not $size: $(file -b "$icon")"
done
for page in "$tree"/share/man/man1/*.1.gz; do
  mandoc -T lint -W warning "$page"
done
echo "installed tree checked: $(find "$destdir" -type f | wc -l) files"
