#!/usr/bin/env bash
# Runs a command in a virtual X display of its own (Xvfb, 24 bits) managed by
# openbox, as a desktop user's program runs: the window gets a frame and
# title bar drawn by the window manager. Used by the tests that compare the
# program's window picture with the screen.
set -euo pipefail

for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing (./scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  [[ -n ${wm:-} ]] && kill "$wm" 2>/dev/null || true
  [[ -n ${xvfb:-} ]] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and names it on the descriptor given.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "$0: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
# A window manager announces itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { echo "$0: openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }
sleep 0.5  # announced before it has finished setting up

QT_QPA_PLATFORM=xcb "$@"
