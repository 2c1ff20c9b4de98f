#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop finds there: a launcher and
# AppStream metadata that validate and agree on one id, a launcher that starts the installed
# program in the folder of the installed chimes, and two icons of the same design.
# Usage: install_tree_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# The launcher's name is the application's reverse-DNS id; the other files are named by it too.
launchers=("$prefix"/share/applications/*.desktop)
if [ ${#launchers[@]} -ne 1 ] || [ ! -f "${launchers[0]}" ]; then
  fail "not one launcher: ${launchers[*]}"
fi
desktop=${launchers[0]}
app_id=$(basename "$desktop" .desktop)
[[ $app_id =~ ^[a-z][a-z0-9]*(\.[A-Za-z][A-Za-z0-9_]*){2,}$ ]] || fail "'$app_id' is no reverse-DNS id"
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"

# The launcher, from this prefix.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = "$prefix/bin/collatz" ] || fail "Exec is '$(entry Exec)'"
[ -x "$prefix/bin/collatz" ] || fail "no program at $prefix/bin/collatz"
[ "$(entry Path)" = "$prefix/share/collatz" ] || fail "Path is '$(entry Path)'"
for chime in pinpon.wav endpinpon.wav; do
  file -b "$(entry Path)/$chime" | grep -q 'WAVE audio' || fail "Path holds no chime $chime"
done
[ "$(entry Icon)" = "$app_id" ] || fail "Icon is '$(entry Icon)'"

# The metadata names the same application and its launcher.
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch $app_id.desktop"

# The icons: a 32 x 32 PNG in 24-bit colour, and an SVG that, drawn at 32 x 32, shows the same
# bands: red along the top and bottom edges, black text on white between them.
png=$prefix/share/icons/hicolor/32x32/apps/$app_id.png
svg=$prefix/share/icons/hicolor/scalable/apps/$app_id.svg
file -b "$png" | grep -q 'PNG image data, 32 x 32, 8-bit/color RGB,' ||
  fail "$png is $(file -b "$png")"
rsvg-convert -w 32 -h 32 -b white "$svg" -o "$prefix/svg-at-32.png" || fail "cannot draw $svg"

# Prints, per row, how many pixels are red, white and dark.
row_colours() {
  convert "$1" -depth 8 txt:- | awk -F'[(),: ]+' '
    NR > 1 {
      y = $2; r = $3; g = $4; b = $5
      if (r > 200 && g < 80 && b < 80) red[y]++
      else if (r > 220 && g > 220 && b > 220) white[y]++
      else if (r < 100 && g < 100 && b < 100) dark[y]++
    }
    END { for (y = 0; y < 32; y++) print y, red[y] + 0, white[y] + 0, dark[y] + 0 }'
}
for image in "$png" "$prefix/svg-at-32.png"; do
  ink=0
  while read -r y red white dark; do
    if [ "$y" -lt 7 ] || [ "$y" -ge 25 ]; then
      [ "$red" -eq 32 ] || fail "$image: row $y is not a red band ($red red pixels)"
    else
      [ "$red" -eq 0 ] || fail "$image: row $y inside the white band has red"
      [ "$white" -ge 8 ] || fail "$image: row $y is not white ($white white pixels)"
      ink=$((ink + dark))
    fi
  done < <(row_colours "$image")
  [ "$ink" -ge 40 ] || fail "$image: no text between the bands ($ink dark pixels)"
done
echo "PASS: installed launcher, metadata and icons under $prefix"
