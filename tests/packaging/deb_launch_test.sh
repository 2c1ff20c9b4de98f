#!/usr/bin/env bash
# Unpacks the package into a temporary root, reads its launcher, and starts the program the way
# the launcher does (its Exec, in its Path, both under that root) on a virtual display: the
# window maps with the program's exact caption and a painted, not blank, face, its explanation
# inside Picture1. "Init" then loads the packaged audio module for its chime, from under that
# root (no audio server is needed for that). Then ends it.
# The window's class is the one the launcher names as StartupWMClass. With --installed the
# package is the one installed on this machine (scripts/fresh_debian_check.sh installs it with apt
# in its throwaway root), started from the installed launcher; else apt is first asked whether it
# would install here, all its dependencies found on this release.
# Usage: deb_launch_test.sh OUT_DIR [--installed]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/virtual_display.sh
source "$here/../../scripts/virtual_display.sh"
deb=$(ls "$1"/collatz_*.deb)

if [ "${2:-}" = --installed ]; then
  [ "$(dpkg-query -W -f='${Version}' collatz)" = "$(dpkg-deb -f "$deb" Version)" ] ||
    vd_fail "collatz $(dpkg-deb -f "$deb" Version) is not installed"
else
  # A simulation installs nothing; the dependencies are already installed where it was built.
  simulation=$(apt-get install --simulate "$(realpath "$deb")" 2>&1) ||
    vd_fail "apt would not install the package: $simulation"
fi

vd_start_x11 1280x1024x24
root=""
if [ "${2:-}" != --installed ]; then
  root=$vd_dir/root
  dpkg -x "$deb" "$root"
fi
launcher=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./\(usr/share/applications/.*\.desktop\)$|\1|p')
desktop=$root/$launcher
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
path=$(sed -n 's/^Path=//p' "$desktop")
if [ ! -f "$root$path/pinpon.wav" ] || [ ! -f "$root$path/endpinpon.wav" ]; then
  vd_fail "the launcher's folder $path holds no chimes"
fi

vd_launch "$root$path" "$root$exec_line"
window=$(vd_window)
vd_check_caption "$window"
# WM_CLASS(STRING) = "instance", "class"
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*, "\(.*\)"$/\1/p')
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
if [ -z "$class" ] || [ "$class" != "$wm_class" ]; then
  vd_fail "the window's class '$class' is not the launcher's StartupWMClass '$wm_class'"
fi
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
