#!/usr/bin/env bash
# Unpacks the package into a temporary root, reads its launcher, and starts the program the way
# the launcher does (its Exec, in its Path, both under that root) on a virtual display: the
# window maps with the program's exact caption and a painted, not blank, face, its explanation
# inside Picture1. "Init" then loads the packaged audio module for its chime, from under that
# root (no audio server is needed for that). Then ends it.
# Usage: deb_launch_test.sh OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/virtual_display.sh
source "$here/../../scripts/virtual_display.sh"
deb=$(ls "$1"/collatz_*.deb)

vd_start 1280x1024x24
root=$vd_dir/root
dpkg -x "$deb" "$root"
desktop=$(ls "$root"/usr/share/applications/*.desktop)
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
path=$(sed -n 's/^Path=//p' "$desktop")
if [ ! -f "$root$path/pinpon.wav" ] || [ ! -f "$root$path/endpinpon.wav" ]; then
  vd_fail "the launcher's folder $path holds no chimes"
fi

vd_launch "$root$path" "$root$exec_line"
window=$(vd_window)
vd_check_caption "$window"
vd_screenshot "$window" "$vd_dir/installed.png"
vd_check_not_blank "$vd_dir/installed.png"
vd_check_picture_fits "$vd_dir/installed.png"
kill -0 "$vd_app_pid" || vd_fail "the program ended by itself"

# "Init" is the button at the window's top right.
module=$root/usr/lib/collatz/modules/libcollatz-audio.so
[ -f "$module" ] || vd_fail "the package holds no audio module at $module"
xdotool mousemove --window "$window" 668 12 click 1
loaded=""
for _ in $(seq 50); do
  grep -qF "$module" "/proc/$vd_app_pid/maps" && loaded=yes && break
  sleep 0.1
done
[ -n "$loaded" ] || vd_fail "\"Init\" did not load $module: $(cat "$vd_dir/program.log")"
kill -0 "$vd_app_pid" || vd_fail "the program ended after \"Init\": $(cat "$vd_dir/program.log")"
vd_end_program
echo "PASS: the installed program started from $path, showed its window and loaded its audio module"
