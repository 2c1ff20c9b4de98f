#!/usr/bin/env bash
# Makes the README's two screenshots: the window just after start, and after the experiment 27.
# Sets up what is missing, builds the optimised program, runs it on a virtual display of its own
# from the folder that holds the chimes, and writes docs/screenshot-start.png and
# docs/screenshot-27.png.
# Run it again whenever the window changes.
#
# COLLATZ_BUILD_DIR=DIR uses that build tree (configured with the release preset) instead of
# build/release.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
# shellcheck source=scripts/virtual_display.sh
source "$root/scripts/virtual_display.sh"

bash "$root/scripts/setup.sh" run display
build=${COLLATZ_BUILD_DIR:-$root/build/release}
cmake --preset release -B "$build" -DCOLLATZ_TESTS=OFF -DCOLLATZ_BENCH=OFF >/dev/null
cmake --build "$build"

mkdir -p "$root/docs"
vd_start_x11 1024x768x24
vd_launch "$build/run" "$build/src/ui/collatz"
window=$(vd_window)
vd_check_caption "$window"
xdotool windowfocus --sync "$window"
vd_screenshot "$window" "$root/docs/screenshot-start.png"

# The focus is on "Experiment": Enter presses it and the prompt opens.
xdotool key Return
prompt=""
for _ in $(seq 50); do
  prompt=$(xdotool search --onlyvisible --name 'Problem of \(3x\+1\)' 2>/dev/null | head -n 1) || true
  [ -n "$prompt" ] && break
  sleep 0.1
done
[ -n "$prompt" ] || vd_fail "the prompt did not open"
xdotool windowfocus --sync "$prompt"
xdotool type --delay 50 27
xdotool key Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name 'Problem of \(3x\+1\)' >/dev/null 2>&1 || break
  sleep 0.1
done
vd_screenshot "$window" "$root/docs/screenshot-27.png"
vd_end_program

for shot in "$root"/docs/screenshot-start.png "$root"/docs/screenshot-27.png; do
  vd_check_not_blank "$shot"
  echo "screenshots: wrote $shot ($(identify -format '%wx%h' "$shot"))"
done
