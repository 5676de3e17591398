#!/usr/bin/env bash
# Builds Zelkora and starts it on the simulated demo board.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target zelkora zelkora-cli zelkora-sysinfo winio

export ZELKORA_MACHINE=$PWD/machines/demo.json
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec build/release/bin/zelkora
fi
echo "No display found (DISPLAY is not set): printing what the library reports for the demo board." >&2
exec build/release/bin/zelkora-cli list
