# Runs the program on a virtual display of its own and looks at its window. Sourced by the
# packaging tests and by scripts/screenshots.sh; needs Xvfb, xdotool, x11-utils and ImageMagick.

# The window's caption, exactly: a leading blank, the inner double quotes, full-width parentheses.
readonly VD_CAPTION=' Problem of "3x+1"（Collatz problem）'

vd_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# vd_start [SCREEN]: starts Xvfb on a free display (it writes the number to fd 3 once it accepts
# connections) and points DISPLAY at it. vd_stop ends it and whatever vd_launch started.
vd_start() {
  vd_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp \
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
  export DISPLAY=":$(head -n 1 "$vd_dir/display")"
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
    kill -0 "$vd_app_pid" 2>/dev/null || vd_fail "the program ended: $(cat "$vd_dir/program.log")"
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
