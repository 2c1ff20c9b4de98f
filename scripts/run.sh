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
workdir=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to fd 3 once it accepts connections. It must
# not reset when its last client leaves: the program checks the display before it connects.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$workdir/display" ] && break
  sleep 0.1
done
if [ ! -s "$workdir/display" ]; then
  echo "run: the virtual display did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$workdir/display")"
unset WAYLAND_DISPLAY

"$program" &
app_pid=$!
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name 'Collatz problem' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$app_pid" 2>/dev/null; then
    # The program ended without showing a window: report how it ended.
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
    exit "$status"
  fi
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "run: the window did not appear on the virtual display" >&2
  exit 1
fi
sleep 1  # the explanation is printed as the window is first shown; let it be painted

shot=$root/build/release/collatz-window.png
import -window "$window" "$shot"
echo "run: the window \"$(xdotool getwindowname "$window")\" is running on the virtual display $DISPLAY"
echo "run: screenshot saved to $shot"
echo "run: ending the program and the virtual display"
exit 0
