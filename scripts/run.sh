#!/usr/bin/env bash
# Sets up the machine, builds the optimised program and starts its window from the folder that
# holds the chimes. Where no display can be opened, it runs the window on a virtual display
# (Xvfb), saves a screenshot of it, prints where, and ends the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release

program=$root/build/release/src/ui/collatz
run_dir=$root/build/release/run  # the chimes pinpon.wav and endpinpon.wav are written here
cd "$run_dir"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$program"
fi

echo "run: no display could be opened; showing the window on a virtual display instead"
# shellcheck source=scripts/virtual_display.sh
source "$root/scripts/virtual_display.sh"
vd_start 1024x768x24
vd_launch "$run_dir" "$program"
window=$(vd_window)
shot=$root/build/release/collatz-window.png
vd_screenshot "$window" "$shot"
echo "run: the window \"$(xdotool getwindowname "$window")\" is running on the virtual display $DISPLAY"
echo "run: screenshot saved to $shot"
echo "run: ending the program and the virtual display"
