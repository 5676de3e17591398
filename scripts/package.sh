#!/usr/bin/env bash
# Builds the Debian package of Zelkora (build/package/zelkora_<version>_<arch>.deb)
# and checks it with lintian. Install it with: sudo apt install ./build/package/zelkora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset package
cmake --build --preset package
cpack --preset package
deb=$(ls -t build/package/zelkora_*.deb | head -n 1)
echo "== lintian $deb =="
lintian --fail-on error --info "$deb"
echo "Built $deb; install it with: sudo apt install ./$deb"
