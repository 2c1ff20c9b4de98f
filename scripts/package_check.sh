#!/usr/bin/env bash
# Builds the Debian package the way Debian does and checks it with Debian's own QA tools, one step
# per call, each build from a clean clone of the committed HEAD of this repository, so that nothing
# of a developer's tree gets in. scripts/fresh_debian_check.sh runs every step in its fresh root,
# in this order; CI runs the first four.
#   build        dpkg-buildpackage -us -uc: the source package (.dsc) and the binary ones, in
#                DIR/first, with an unwritable HOME as on a build daemon; it runs the tests a build
#                root can run (through dh_auto_test)
#   lintian      lintian -I -E --pedantic on the build's .changes: errors and warnings fail
#   blhc         blhc on the build's log: anything it reports fails
#   autopkgtest  the package's debian/tests against the package installed here (this installs it);
#                prints the summary autopkgtest writes
#   reprotest    the first build's source built twice more by reprotest, with nocheck (option and
#                profile), the second time with every variation this machine can make (build path,
#                time, umask, locale, time zone, home, kernel, CPUs, file order...): both must give
#                .deb files byte-identical to each other and to the first build's, since the tests
#                may not change what ships either
#   noopt        a build with DEB_BUILD_OPTIONS=noopt, its tests run: it must build and pass
#   piuparts     the first build's packages installed, removed and purged in a chroot of the
#                release ($COLLATZ_RELEASE, else this machine's) made from the Debian archive (needs
#                root; the chroot's base tarball is kept in $COLLATZ_CHECK_CACHE, by default
#                ~/.cache/collatz-fresh-debian)
# Usage: package_check.sh STEP DIR
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
steps='build|lintian|blhc|autopkgtest|reprotest|noopt|piuparts'
step=${1:-}
dir=${2:-}
if [[ ! $step =~ ^($steps)$ ]] || [ -z "$dir" ]; then
  echo "usage: $0 ${steps//|/ | } DIR" >&2
  exit 2
fi
first=$dir/first
arch=$(dpkg --print-architecture)
# The first build's: the .changes of source and binary, and the source package.
changes() { ls "$first"/collatz_*_"$arch".changes; }
dsc() { ls "$first"/collatz_*.dsc; }

# build_in FOLDER [VARIABLE=VALUE...] [-- DPKG-BUILDPACKAGE OPTION...]: a clone of HEAD in
# FOLDER/collatz, built there from source to binary with the environment given (HOME unwritable);
# the log is FOLDER/build.log.
build_in() {
  local folder=$1 environment=() options=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    environment+=("$1")
    shift
  done
  [ $# -eq 0 ] || options=("${@:2}")
  rm -rf "$folder"
  mkdir -p "$folder"
  git -c init.defaultBranch=main clone --quiet . "$folder/collatz"
  (cd "$folder/collatz" &&
    env HOME=/nonexistent "${environment[@]}" dpkg-buildpackage -us -uc -Jauto "${options[@]}") \
    >"$folder/build.log" 2>&1 || {
    tail -n 80 "$folder/build.log"
    echo "FAIL: dpkg-buildpackage, the whole log in $folder/build.log" >&2
    return 1
  }
  # What the package build's tests gave.
  grep -E 'tests passed|\*\*\*(Skipped|Not Run|Failed)' "$folder/build.log" || true
  (cd "$folder" && ls -- *.dsc *.changes *.deb)
}

case "$step" in
  build)
    bash scripts/setup.sh package
    build_in "$first"
    ;;
  lintian)
    # Debian 12's lintian knows Standards-Version 4.6.2 as the latest; Debian 13's reports it
    # as out of date, which is an information, not a warning.
    # lintian leaves some of its temporary files behind: they go to a folder of this step's own.
    temporary=$(mktemp -d)
    trap 'rm -rf "$temporary"' EXIT
    TMPDIR=$temporary lintian -I -E --pedantic --fail-on error,warning --tag-display-limit 0 \
      "$(changes)"
    echo "lintian: no error and no warning"
    ;;
  blhc)
    # --all: the package asks for every hardening feature (hardening=+all); --debian: Debian's
    # compilers build position-independent code without a flag on the command line.
    blhc --all --debian "$first/build.log"
    echo "blhc: nothing to report"
    ;;
  autopkgtest)
    cd "$first/collatz"
    status=0
    rm -rf "$first/autopkgtest"
    autopkgtest --output-dir="$first/autopkgtest" ./ ../collatz_*.deb -- null \
      >"$first/autopkgtest.log" 2>&1 || status=$?
    [ $status -eq 0 ] || tail -n 80 "$first/autopkgtest.log"
    echo "autopkgtest summary:"
    cat "$first/autopkgtest/summary" 2>/dev/null || echo "(autopkgtest wrote no summary)"
    exit $status
    ;;
  noopt)
    build_in "$dir/noopt" DEB_BUILD_OPTIONS=noopt
    ;;
  piuparts)
    [ "$(id -u)" -eq 0 ] || {
      echo "package_check: piuparts needs root" >&2
      exit 1
    }
    bash scripts/setup.sh check
    release=${COLLATZ_RELEASE:-$(. /etc/os-release && echo "$VERSION_CODENAME")}
    cache=${COLLATZ_CHECK_CACHE:-${HOME:-/root}/.cache/collatz-fresh-debian}
    base=$cache/$release-piuparts.tar.gz
    mirror=http://deb.debian.org/debian
    if [ ! -f "$base" ]; then
      mkdir -p "$cache"
      mmdebstrap --variant=minbase "$release" "$base.part.tar.gz" "deb $mirror $release main" \
        "deb $mirror $release-updates main" \
        "deb http://deb.debian.org/debian-security $release-security main" >/dev/null
      mv "$base.part.tar.gz" "$base"
    fi
    status=0
    # Debian 13's apt and debconf leave their templates' scratch folder behind while they install
    # the dependencies; Debian 12's piuparts, which checks Debian 13 from the host, does not know
    # it yet. Nothing of the package's is in it.
    piuparts --basetgz="$base" --distribution="$release" --mirror="$mirror main" \
      --ignore=/var/cache/debconf/tmp.ci/ \
      --extra-repo="deb $mirror $release-updates main" \
      --extra-repo="deb http://deb.debian.org/debian-security $release-security main" \
      --log-file="$first/piuparts.log" "$(changes)" >/dev/null 2>&1 || status=$?
    grep -E " (INFO|ERROR|FAIL)" "$first/piuparts.log" | tail -n 8 || true
    exit $status
    ;;
  reprotest)
    bash scripts/setup.sh reprotest
    # fileordering needs FUSE (disorderfs), and user_group a second user to build as and sudo:
    # each is left out where this machine lacks it, and said.
    variations=+all
    if [ ! -c /dev/fuse ] || ! grep -qw fuse /proc/filesystems; then
      variations+=,-fileordering
      echo "reprotest: no FUSE here, so the order of files in folders is not varied"
    fi
    variations+=,-user_group
    echo "reprotest: the user and group are not varied (that needs a second user and sudo)"
    # domain_host builds in a UTS namespace of a user namespace of its own, which the kernel does
    # not let a chrooted process (the fresh check's) make.
    if ! unshare --map-root-user --uts true 2>/dev/null; then
      variations+=,-domain_host
      echo "reprotest: no UTS namespace can be made here, so the host and domain names are not varied"
    fi
    rm -rf "$dir/reprotest"
    status=0
    (cd "$first" && env DEB_BUILD_OPTIONS=nocheck DEB_BUILD_PROFILES=nocheck \
      reprotest --variations="$variations" --store-dir="$dir/reprotest" "$(basename "$(dsc)")" \
      -- null) >"$dir/reprotest.log" 2>&1 ||
      status=$?
    if [ $status -ne 0 ]; then
      tail -n 60 "$dir/reprotest.log"
      echo "FAIL: reprotest ($variations), the whole log in $dir/reprotest.log" >&2
      exit 1
    fi
    echo "reprotest ($variations): $(grep -m1 '^Reproduction' "$dir/reprotest.log")"
    # Its builds ran without the tests, the first with them: the same .deb files either way.
    while read -r hash name; do
      name=${name#./}
      if [ "$(sha256sum <"$first/$name" | cut -d' ' -f1)" = "$hash" ]; then
        echo "identical to the first build's, built with nocheck: $name"
      else
        echo "DIFFERENT from the first build's, built with nocheck: $name (diffoscope shows how)"
        status=1
      fi
    done <"$dir/reprotest/SHA256SUMS"
    exit $status
    ;;
esac
