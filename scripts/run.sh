#!/usr/bin/env bash
# Sets up what building and running the program needs (nothing for the tests), builds the
# optimised program and starts its window from the folder that holds the chimes. Where the program
# finds no display it can open, it runs the window on a virtual display (Xvfb, which it sets up
# only then), saves a screenshot of it, prints where, and ends the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash scripts/setup.sh run
# The tests and benchmarks are the test command's; it turns them on again in the same tree.
cmake --preset release -DCOLLATZ_TESTS=OFF -DCOLLATZ_BENCH=OFF >/dev/null
cmake --build --preset release

program=$root/build/release/src/ui/collatz
run_dir=$root/build/release/run  # the chimes pinpon.wav and endpinpon.wav are written here
cd "$run_dir"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  status=0
  "$program" || status=$?
  no_display=1  # the program's status when it finds no display it can open
  [ $status -eq $no_display ] || exit $status
fi

echo "run: no display could be opened; showing the window on a virtual display instead"
bash "$root/scripts/setup.sh" display
# shellcheck source=scripts/virtual_display.sh
source "$root/scripts/virtual_display.sh"
vd_start_x11 1024x768x24
vd_launch "$run_dir" "$program"
window=$(vd_window)
shot=$root/build/release/collatz-window.png
vd_screenshot "$window" "$shot"
echo "run: the window \"$(xdotool getwindowname "$window")\" is running on the virtual display $DISPLAY"
echo "run: screenshot saved to $shot"
echo "run: ending the program and the virtual display"
