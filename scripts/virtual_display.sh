# shellcheck shell=bash
# A display server of its own, started one way per kind, and a look at the program's window on it:
# an X server (Xvfb) or a headless Wayland compositor (weston). Sourced by scripts/run.sh,
# scripts/screenshots.sh and the packaging tests; the window tests, which cannot source it, run it:
#   bash virtual_display.sh serve x11|wayland SIZE
#     starts a server, prints the environment a client needs there as NAME=VALUE lines and an
#     empty line, and ends the server once its standard input closes;
#   VD_DIR=DIR bash virtual_display.sh wayland-toplevel app_id|title
#   VD_DIR=DIR WAYLAND_DISPLAY=... XDG_RUNTIME_DIR=... bash virtual_display.sh wayland-screenshot FILE
#     the vd_wayland_* functions below, on the compositor that serve printed VD_DIR for.
# Needs Xvfb, xdotool, x11-utils and ImageMagick; weston for Wayland.

# The window's caption, exactly: a leading blank, the inner double quotes, full-width parentheses.
readonly VD_CAPTION=' Problem of "3x+1"（Collatz problem）'

vd_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# vd_begin: a folder for the server's files and the program's log; vd_stop ends the server and
# whatever vd_launch started, and removes the folder.
vd_begin() {
  vd_dir=$(mktemp -d)
  vd_server_pid=""
  vd_app_pid=""
  trap vd_stop EXIT
}

# vd_wait_for -s|-S FILE WHAT: waits up to 10 s for the server to write the file, or make the
# socket.
vd_wait_for() {
  local _
  for _ in $(seq 100); do
    test "$1" "$2" && return 0
    kill -0 "$vd_server_pid" 2>/dev/null || break
    sleep 0.1
  done
  vd_fail "$3 did not start: $(cat "$vd_dir"/server.log)"
}

# vd_start_x11 SCREEN: starts Xvfb on a free display (it writes the number to fd 3 once it accepts
# connections) and points DISPLAY at it.
# -noreset: the program's display check connects and disconnects before the program proper
# connects, and a server that resets when its last client leaves may refuse the next one.
vd_start_x11() {
  vd_begin
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset \
    3>"$vd_dir/display" 2>"$vd_dir/server.log" &
  vd_server_pid=$!
  vd_wait_for -s "$vd_dir/display" Xvfb
  DISPLAY=":$(head -n 1 "$vd_dir/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
}

# vd_start_wayland WIDTHxHEIGHT: starts weston's headless backend with its desktop shell, drawing
# in memory, in a runtime folder of its own, and points WAYLAND_DISPLAY there; DISPLAY is unset,
# so a client that cannot speak Wayland finds no display at all. --debug lets
# vd_wayland_screenshot take pictures; the "proto" log records every request of its clients, which
# is where vd_wayland_toplevel reads what a window told the compositor. No animations: a picture
# shows the windows as they are, not fading in.
vd_start_wayland() {
  vd_begin
  XDG_RUNTIME_DIR=$vd_dir/runtime
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
  printf '[shell]\nstartup-animation=none\nanimation=none\nclose-animation=none\n' \
    >"$vd_dir/weston.ini"
  weston --config="$vd_dir/weston.ini" --backend=headless-backend.so --use-pixman \
    --width="${1%x*}" --height="${1#*x}" --socket=wayland-0 --idle-time=0 --debug \
    --logger-scopes=log,proto --log="$vd_dir/weston.log" >"$vd_dir/server.log" 2>&1 &
  vd_server_pid=$!
  vd_wait_for -S "$XDG_RUNTIME_DIR/wayland-0" weston
  WAYLAND_DISPLAY=wayland-0
  export WAYLAND_DISPLAY
  unset DISPLAY
}

vd_stop() {
  vd_end_program
  if [ -n "${vd_server_pid:-}" ]; then
    kill "$vd_server_pid" 2>/dev/null || true
    wait "$vd_server_pid" 2>/dev/null || true
    vd_server_pid=""
  fi
  [ -n "${vd_dir:-}" ] && rm -rf "$vd_dir"
  vd_dir=""
}

# vd_launch DIR PROGRAM [NAME=VALUE...]: starts the program in DIR with the extra environment.
vd_launch() {
  local dir=$1 program=$2
  shift 2
  (cd "$dir" && exec env "$@" "$program") >"$vd_dir/program.log" 2>&1 &
  vd_app_pid=$!
}

vd_end_program() {
  if [ -n "${vd_app_pid:-}" ]; then
    kill "$vd_app_pid" 2>/dev/null || true
    wait "$vd_app_pid" 2>/dev/null || true
    vd_app_pid=""
  fi
}

# vd_window: waits up to 30 s for the program's window to map and prints its id.
vd_window() {
  local window="" _
  for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name 'Collatz problem' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    kill -0 "$vd_app_pid" 2>/dev/null ||
      vd_fail "the program ended: $(cat "$vd_dir/program.log")
Xvfb on $DISPLAY: $(kill -0 "$vd_server_pid" 2>/dev/null && echo running || echo ended) $(cat "$vd_dir/server.log")"
    sleep 0.2
  done
  [ -n "$window" ] || vd_fail "no window mapped within 30 s"
  echo "$window"
}

# vd_check_caption WINDOW: the window's title, in both properties, is the caption exactly.
vd_check_caption() {
  local name net_name
  name=$(xdotool getwindowname "$1")
  [ "$name" = "$VD_CAPTION" ] || vd_fail "window name is '$name', not '$VD_CAPTION'"
  # xprop writes the value in double quotes with the inner ones escaped.
  net_name=$(xprop -id "$1" -notype _NET_WM_NAME)
  local escaped=${VD_CAPTION//\"/\\\"}
  [ "$net_name" = "_NET_WM_NAME = \"$escaped\"" ] || vd_fail "xprop reports $net_name"
}

# vd_size WINDOW: prints the window's client size as WIDTHxHEIGHT.
vd_size() {
  xwininfo -id "$1" | awk '/^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print w "x" h}'
}

# vd_screenshot WINDOW FILE: waits until the window has been painted and saves it as PNG.
vd_screenshot() {
  sleep 1  # the explanation is printed once the window is first shown
  import -window "$1" "$2" || vd_fail "could not take a screenshot of window $1"
}

# vd_check_not_blank FILE: a painted window has text, buttons and borders: many colours.
vd_check_not_blank() {
  local colours
  colours=$(identify -format '%k' "$1")
  [ "$colours" -ge 16 ] || vd_fail "$1 looks blank: only $colours colours"
}

# vd_check_picture_fits FILE [SCALE]: in a screenshot of the window, the explanation is not cut
# off at the right or bottom edge of Picture1 (8, 32, 681 x 201 pixels at scale 1, inside a
# 1-pixel border): the last device column and row that the text may be drawn on hold no more than
# the smoothed fringe of a glyph. (At scale 2 the border is drawn over that column and row, and a
# cut glyph is drawn over the border.) The text is dark blue, the border grey: hue tells them apart.
vd_check_picture_fits() {
  local shot=$1 s=${2:-1}
  local left=$((8 * s)) top=$((32 * s)) width=681 height=201
  local column=$((left + (width - 1) * s - 1)) row=$((top + (height - 1) * s - 1))
  local edge cut
  for edge in "1x$(((height - 2) * s))+${column}+$((top + s)) right" \
    "$(((width - 2) * s))x1+$((left + s))+${row} bottom"; do
    cut=$(convert "$shot" -crop "${edge% *}" -depth 8 txt:- | awk -F'[(),: ]+' '
      NR > 1 && $5 - $3 >= 16 && (255 - $3) / 254 >= 0.5 { n++ }
      END { print n + 0 }')
    [ "$cut" -eq 0 ] ||
      vd_fail "$shot: the explanation is cut off at the ${edge#* } edge of Picture1 ($cut pixels)"
  done
}

# vd_wayland_toplevel app_id|title: what the compositor's windows set as that, one line each, in
# the order they did.
vd_wayland_toplevel() {
  sed -n 's/.* rq xdg_toplevel@[0-9]*\.set_'"$1"'("\(.*\)")$/\1/p' "$vd_dir/weston.log"
}

# vd_wayland_screenshot FILE: saves the compositor's whole output as PNG (weston's screenshooter
# writes it into its current folder under a name of its own).
vd_wayland_screenshot() {
  local shooter shots=$vd_dir/shots
  shooter=$(command -v weston-screenshooter || ls /usr/lib/*/weston/weston-screenshooter 2>/dev/null) ||
    vd_fail "no weston-screenshooter"
  rm -rf "$shots"
  mkdir -p "$shots"
  (cd "$shots" && "$shooter" >/dev/null 2>&1) || vd_fail "weston-screenshooter failed"
  mv "$shots"/*.png "$1" || vd_fail "weston-screenshooter wrote no picture"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case "${1:-}" in
    serve)
      if [ $# -ne 3 ] || [[ ! $2 =~ ^(x11|wayland)$ ]]; then
        vd_fail "usage: $0 serve x11|wayland SIZE"
      fi
      trap 'exit 1' TERM INT HUP  # so that the EXIT trap ends the server
      "vd_start_$2" "$3"
      echo "VD_DIR=$vd_dir"
      if [ "$2" = x11 ]; then
        echo "DISPLAY=$DISPLAY"
      else
        echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
        echo "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
      fi
      echo
      while read -r _; do :; done
      ;;
    wayland-toplevel | wayland-screenshot)
      vd_dir=${VD_DIR:?VD_DIR names no compositor}
      "vd_${1//-/_}" "${@:2}"
      ;;
    *) vd_fail "usage: $0 serve|wayland-toplevel|wayland-screenshot ..." ;;
  esac
fi
