#!/usr/bin/env bash
# With no Japanese Gothic face installed (a private font setup that sees only DejaVu), the
# program still starts and paints its window, and the explanation stays inside Picture1.
# Usage: no_japanese_face_test.sh PROGRAM RUN_DIR FONTCONFIG_FILE SHOT
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/virtual_display.sh
source "$here/../../scripts/virtual_display.sh"
program=$1
run_dir=$2
fonts=$3
shot=$4

if FONTCONFIG_FILE=$fonts fc-list : family | grep -Eiq 'IPA|Gothic|CJK|VL '; then
  vd_fail "the private font setup $fonts still shows a Japanese face"
fi
vd_start_x11 1280x1024x24
vd_launch "$run_dir" "$program" FONTCONFIG_FILE="$fonts"
window=$(vd_window)
vd_check_caption "$window"
vd_screenshot "$window" "$shot"
vd_check_not_blank "$shot"
vd_check_picture_fits "$shot"
vd_end_program
echo "PASS: started without a Japanese face; see $shot"
