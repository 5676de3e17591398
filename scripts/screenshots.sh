#!/usr/bin/env bash
# Rebuilds docs/screenshots/: every page, the Reminder and both register dialogs in English,
# Simplified Chinese and Traditional Chinese, on the simulated demo board,
# in a virtual X display. Each language is taken under its own locale
# (C, zh_CN.UTF-8, zh_TW.UTF-8), whose default face differs.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build build/release --target zelkora-screenshots -j2

out=$PWD/docs/screenshots
mkdir -p "$out"
for locale in C zh_CN.UTF-8 zh_TW.UTF-8; do
  if [[ $locale != C ]] && ! locale -a | grep -qix "${locale/UTF-8/utf8}"; then
    # The locales package ships the sources; root can build the two it needs.
    localedef -i "${locale%%.*}" -f UTF-8 "$locale"
  fi
  LANG=$locale LC_ALL=$locale ZELKORA_MACHINE=$PWD/machines/demo.json ZELKORA_SCREENSHOT_DIR=$out \
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" build/release/bin/zelkora-screenshots
done
ls "$out"
