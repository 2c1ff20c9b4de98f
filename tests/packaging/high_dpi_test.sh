#!/usr/bin/env bash
# Under QT_SCALE_FACTOR=2 the window is twice the size, and it is the same window: its
# screenshot, halved, matches the one at scale factor 1, and at both scales the explanation
# stays inside Picture1.
# Usage: high_dpi_test.sh PROGRAM RUN_DIR SHOT_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/virtual_display.sh
source "$here/../../scripts/virtual_display.sh"
program=$1
run_dir=$2
shots=$3
mkdir -p "$shots"

vd_start_x11 2048x1536x24
for scale in 1 2; do
  vd_launch "$run_dir" "$program" QT_SCALE_FACTOR=$scale
  window=$(vd_window)
  size=$(vd_size "$window")
  expected=$((698 * scale))x$((504 * scale))
  [ "$size" = "$expected" ] || vd_fail "at scale $scale the window is $size, not $expected"
  vd_screenshot "$window" "$shots/scale-$scale.png"
  vd_check_not_blank "$shots/scale-$scale.png"
  vd_check_picture_fits "$shots/scale-$scale.png" "$scale"
  vd_end_program
done

convert "$shots/scale-2.png" -resize 698x504 "$shots/scale-2-halved.png"
# compare writes "absolute (normalised)" to stderr and exits 1 when the images differ at all.
difference=$(compare -metric RMSE "$shots/scale-1.png" "$shots/scale-2-halved.png" null: 2>&1 ||
  true)
normalised=$(echo "$difference" | sed -n 's/.*(\(.*\))/\1/p')
[ -n "$normalised" ] || vd_fail "compare said: $difference"
awk -v d="$normalised" 'BEGIN { exit !(d < 0.08) }' ||
  vd_fail "the window at scale 2 is laid out differently: RMSE $normalised (at most 0.08)"
echo "PASS: 1396x1008 at scale factor 2, same picture as at 1 (RMSE $normalised); see $shots"
