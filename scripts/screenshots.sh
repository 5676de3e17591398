#!/usr/bin/env bash
# Rebuilds docs/screenshots/: every page, the Reminder and both register dialogs in English,
# Simplified Chinese and Traditional Chinese, on the simulated demo board,
# in a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build build/release --target screenshots_test -j2

out=$PWD/docs/screenshots
mkdir -p "$out"
ZELKORA_MACHINE=$PWD/machines/demo.json ZELKORA_SCREENSHOT_DIR=$out QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1024x768x24" build/release/bin/screenshots_test
ls "$out"
