#!/usr/bin/env bash
# Builds the Debian package of Zelkora (build/package/zelkora_<version>_<arch>.deb)
# and checks it with lintian. Install it with: sudo apt install ./build/package/zelkora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset package
cmake --build --preset package
cpack --preset package
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
deb=build/package/zelkora_${version}_$(dpkg --print-architecture).deb
echo "== lintian $deb =="
lintian --fail-on error "$deb"
echo "Built $deb; install it with: sudo apt install ./$deb"
