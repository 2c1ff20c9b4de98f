#!/usr/bin/env bash
# Builds the Debian package the way Debian does and checks it, one step per call, each from a
# clean clone of the committed HEAD of this repository, so that nothing of a developer's tree
# gets in. scripts/fresh_debian_check.sh runs the steps in its fresh root, in this order:
#   build        dpkg-buildpackage -us -uc -b (it runs the tests a build root can run) in DIR/first
#   lintian      lintian -I --pedantic on that build: errors and warnings fail
#   autopkgtest  the package's debian/tests against the package installed here (this installs it)
#   again        the same build in another folder, later; its .deb files must be byte-identical
#                to the first build's, and diffoscope shows what differs
# Usage: package_check.sh STEP DIR
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
step=${1:-}
dir=${2:-}
if [[ ! $step =~ ^(build|lintian|autopkgtest|again)$ ]] || [ -z "$dir" ]; then
  echo "usage: $0 build|lintian|autopkgtest|again DIR" >&2
  exit 2
fi
first=$dir/first
second=$dir/elsewhere/at/a/later/time

# build_in FOLDER: a clone of HEAD in FOLDER/collatz, built there; the log is FOLDER/build.log.
build_in() {
  rm -rf "$1"
  mkdir -p "$1"
  git -c init.defaultBranch=main clone --quiet . "$1/collatz"
  (cd "$1/collatz" && dpkg-buildpackage -us -uc -b -J) >"$1/build.log" 2>&1 || {
    tail -n 80 "$1/build.log"
    echo "FAIL: dpkg-buildpackage, the whole log in $1/build.log" >&2
    return 1
  }
  # What the package build's tests gave.
  grep -E 'tests passed|\*\*\*(Skipped|Not Run|Failed)' "$1/build.log" || true
  (cd "$1" && ls -- *.deb)
}

case "$step" in
  build)
    bash scripts/setup.sh package
    build_in "$first"
    ;;
  lintian)
    lintian -I --pedantic --fail-on error,warning --tag-display-limit 0 \
      "$first"/collatz_*_"$(dpkg --print-architecture)".changes
    echo "lintian: no error and no warning"
    ;;
  autopkgtest)
    cd "$first/collatz"
    status=0
    autopkgtest --output-dir="$first/autopkgtest" ./ ../collatz_*.deb -- null \
      >"$first/autopkgtest.log" 2>&1 || status=$?
    [ $status -eq 0 ] || tail -n 80 "$first/autopkgtest.log"
    sed -n '/@@@@ summary$/,$p' "$first/autopkgtest.log"
    exit $status
    ;;
  again)
    build_in "$second" >/dev/null
    status=0
    for deb in "$first"/*.deb; do
      name=${deb##*/}
      if cmp -s "$deb" "$second/$name"; then
        echo "identical: $name"
      else
        echo "DIFFERENT: $name"
        status=1
        diffoscope --text - "$deb" "$second/$name" | head -n 200 || true
      fi
    done
    exit $status
    ;;
esac
