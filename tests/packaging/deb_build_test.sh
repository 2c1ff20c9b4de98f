#!/usr/bin/env bash
# Packs the build into a .deb with CPack and checks its control fields and its files. Leaves the
# package in OUT_DIR for the tests that need it.
# Usage: deb_build_test.sh BUILD_DIR OUT_DIR VERSION
set -euo pipefail
build=$1
out=$2
version=$3
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$out/cpack.log")"
rm -rf "$out/_CPack_Packages"
deb=$out/collatz_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack wrote no $deb: $(ls "$out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = collatz ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)'"
field Maintainer | grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' || fail "Maintainer is '$(field Maintainer)'"
description=$(field Description)
[ "$(echo "$description" | wc -l)" -ge 3 ] || fail "no long description: $description"
# The libraries come from the binary itself; the Japanese Gothic face is named on purpose.
depends=$(field Depends)
for package in fonts-ipafont-gothic libqt6widgets6 libpulse0 libsndfile1 libc6; do
  echo "$depends" | grep -Eq "(^|, )$package( |,|$)" || fail "Depends lacks $package: $depends"
done

# Qt's Wayland plugin, for a native window on a Wayland desktop.
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends is '$(field Recommends)'"

app_id=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./usr/share/applications/\(.*\)\.desktop$|\1|p')
[ -n "$app_id" ] || fail "the package holds no launcher"
# Exactly the files of an installed desktop program and its private audio module; nothing of the
# build (static libraries, tests).
expected="./usr/bin/collatz
./usr/lib/collatz/modules/libcollatz-audio.so
./usr/share/applications/$app_id.desktop
./usr/share/collatz/endpinpon.wav
./usr/share/collatz/pinpon.wav
./usr/share/doc/collatz/changelog.gz
./usr/share/doc/collatz/copyright
./usr/share/icons/hicolor/32x32/apps/$app_id.png
./usr/share/icons/hicolor/scalable/apps/$app_id.svg
./usr/share/man/man1/collatz.1.gz
./usr/share/metainfo/$app_id.metainfo.xml"
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
[ "$files" = "$expected" ] || fail "the package holds other files:
$(diff <(echo "$expected") <(echo "$files") || true)"
# Installing copies files and nothing more: no maintainer scripts (the private module needs no
# ldconfig run).
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Ev '^\./$|^\./(control|md5sums)$' || true)
[ -z "$scripts" ] || fail "the package has maintainer scripts: $scripts"
for binary in ./usr/bin/collatz ./usr/lib/collatz/modules/libcollatz-audio.so; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "$binary" >"$out/binary"
  file -b "$out/binary" | grep -q ', stripped' || fail "$binary in the package is not stripped"
done
rm "$out/binary"
echo "PASS: $deb"
