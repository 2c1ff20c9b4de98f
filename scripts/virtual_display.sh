# shellcheck shell=bash
# Runs the program on a virtual display of its own and looks at its window. Sourced by
# scripts/run.sh, scripts/screenshots.sh and the packaging tests; needs Xvfb, xdotool, x11-utils
# and ImageMagick.

# The window's caption, exactly: a leading blank, the inner double quotes, full-width parentheses.
readonly VD_CAPTION=' Problem of "3x+1"（Collatz problem）'

vd_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# vd_start SCREEN: starts Xvfb on a free display (it writes the number to fd 3 once it accepts
# connections) and points DISPLAY at it. vd_stop ends it and whatever vd_launch started.
# -noreset: the program's display check connects and disconnects before the program proper
# connects, and a server that resets when its last client leaves may refuse the next one.
vd_start() {
  vd_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset \
    3>"$vd_dir/display" 2>"$vd_dir/xvfb.log" &
  vd_xvfb_pid=$!
  vd_app_pid=""
  trap vd_stop EXIT
  local _
  for _ in $(seq 100); do
    [ -s "$vd_dir/display" ] && break
    sleep 0.1
  done
  [ -s "$vd_dir/display" ] || vd_fail "Xvfb did not start: $(cat "$vd_dir/xvfb.log")"
  DISPLAY=":$(head -n 1 "$vd_dir/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
}

vd_stop() {
  vd_end_program
  if [ -n "${vd_xvfb_pid:-}" ]; then
    kill "$vd_xvfb_pid" 2>/dev/null || true
    wait "$vd_xvfb_pid" 2>/dev/null || true
    vd_xvfb_pid=""
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
Xvfb on $DISPLAY: $(kill -0 "$vd_xvfb_pid" 2>/dev/null && echo running || echo ended) $(cat "$vd_dir/xvfb.log")"
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
