#!/usr/bin/env bash
# Tries the project the way a new user and Debian would, on a fresh Debian machine: a minimal
# root file system of the release (made with mmdebstrap from the Debian archive) and a clean clone
# of the committed HEAD in it. There it runs, each step saying how it went and how long it took:
#   commands  `bash scripts/run.sh` (no display there: it shows the window on a virtual one), lint
#             and `bash scripts/test.sh`;
#   package   the Debian package built from source to binary (`dpkg-buildpackage -us -uc`, with an
#             unwritable HOME), lintian, blhc, autopkgtest on it installed, reprotest (two more
#             builds, the second under varied conditions, both without tests, all three giving
#             the same .deb files), a build with DEB_BUILD_OPTIONS=noopt and its tests, and
#             piuparts (run from this machine, in a chroot of the release of its own):
#             scripts/package_check.sh.
#
# Usage: fresh_debian_check.sh [RELEASE] [all|commands|package]
#   RELEASE: trixie (Debian 13, the default) or bookworm; all (the default) runs both parts.
#
# Needs root (it mounts and chroots). The roots are cached in $COLLATZ_CHECK_CACHE (default
# ~/.cache/collatz-fresh-debian): the bare one, the one set up by the project's setup (kept for as
# long as scripts/setup.sh, scripts/packages.txt and debian/control are unchanged, so a second
# check only builds and tests) and the downloaded packages. The last run's root stays there until
# the next run, for a look inside. Delete the folder to start cold.
set -euo pipefail
# All of it is read before any of it runs, so that editing the script while a check runs cannot
# change what that check does.
main() {
  cd "$(dirname "${BASH_SOURCE[0]}")/.."
  repo=$(pwd)

  release=${1:-trixie}
  parts=${2:-all}
  if [[ ! $release =~ ^(trixie|bookworm)$ ]] || [[ ! $parts =~ ^(all|commands|package)$ ]]; then
    echo "usage: $0 [trixie|bookworm] [all|commands|package]" >&2
    exit 2
  fi
  if [ "$(id -u)" -ne 0 ]; then exec sudo --preserve-env=COLLATZ_CHECK_CACHE bash "$0" "$@"; fi

  started=$(date +%s)
  say() { echo "== fresh $release, $(($(date +%s) - started)) s: $*"; }

  bash scripts/setup.sh check
  cache=${COLLATZ_CHECK_CACHE:-${HOME:-/root}/.cache/collatz-fresh-debian}
  mkdir -p "$cache/$release-debs"
  base=$cache/$release-base.tar
  setup_key=$(git show HEAD:scripts/setup.sh HEAD:scripts/packages.txt HEAD:debian/control |
    sha256sum | cut -c1-16)
  set_up=$cache/$release-setup-$setup_key.tar
  root=$cache/$release-root

  # One check of a release at a time per cache: another would remove this one's root under it.
  exec {lock}>"$cache/$release.lock"
  if ! flock --nonblock "$lock"; then
    say "waiting for the other check of $release that uses $cache"
    flock "$lock"
  fi

  if [ ! -f "$base" ]; then
    say "making the bare root"
    mmdebstrap --variant=minbase --include=git,ca-certificates --format=tar "$release" "$base.part" \
      "deb http://deb.debian.org/debian $release main" \
      "deb http://deb.debian.org/debian $release-updates main" \
      "deb http://deb.debian.org/debian-security $release-security main"
    mv "$base.part" "$base"
  fi

  # The mounts of a run (/dev among them) live in a mount namespace of its own and end with it, so
  # this removes the root's own files only.
  rm -rf "$root"
  mkdir -p "$root"
  if [ -f "$set_up" ]; then
    say "unpacking the root set up by this setup ($setup_key)"
    tar -xf "$set_up" -C "$root"
  else
    say "unpacking the bare root (no root set up by this setup yet)"
    tar -xf "$base" -C "$root"
  fi

  commit=$(git rev-parse HEAD)
  [ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "fresh_debian_check: uncommitted changes are not checked; the clone is of $commit"
  git clone --quiet --no-checkout "$repo" "$root/root/collatz"
  git -C "$root/root/collatz" checkout --quiet --detach "$commit"

  # in_root COMMAND: runs the shell command in the clone inside the root, with the machine's
  # network, a /proc, /dev, /tmp and /run of its own, and the package cache; every process it
  # leaves behind ends with it.
  in_root() {
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # shellcheck disable=SC2016  # the inner shell expands its own arguments
    unshare --mount --pid --fork --kill-child bash -euc '
      root=$1 debs=$2 command=$3
      mount -t proc proc "$root/proc"
      mount --rbind /sys "$root/sys"
      mount --rbind /dev "$root/dev"
      mount -t tmpfs tmpfs "$root/dev/shm"
      mount -t tmpfs tmpfs "$root/tmp"
      mount -t tmpfs tmpfs "$root/run"
      mount --bind "$debs" "$root/var/cache/apt/archives"
      exec chroot "$root" env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -euc "cd /root/collatz && $command"
    ' in_root "$root" "$cache/$release-debs" "$1"
  }

  status=0
  step() {  # NAME COMMAND: runs the command in the root and says how it went and how long it took
    local name=$1 command=$2 begun result=passed
    begun=$(date +%s)
    say "$name"
    in_root "$command" || {
      result=FAILED
      status=1
    }
    say "$name: $result in $(($(date +%s) - begun)) s"
    [ $result = passed ]
  }

  if [ "$parts" != package ]; then
    step "bash scripts/run.sh" "bash scripts/run.sh" || true
    # CI's setup: the tests' tools and the package's.
    step "bash scripts/lint.sh" "bash scripts/setup.sh test package && bash scripts/lint.sh" || true
    step "bash scripts/test.sh" "bash scripts/test.sh" || true
    # Kept before the package is installed, so that the next check starts from setup's root.
    if [ ! -f "$set_up" ] && in_root "bash scripts/setup.sh test package" | grep -q 'packages present'; then
      say "keeping the set-up root for the next check ($setup_key)"
      rm -f "$cache/$release"-setup-*.tar
      tar -cf "$set_up.part" -C "$root" --exclude=./root/collatz --exclude='./var/cache/apt/archives/*' .
      mv "$set_up.part" "$set_up"
    fi
  fi
  if [ "$parts" != commands ]; then
    local package=/root/package
    if step "dpkg-buildpackage -us -uc" "bash scripts/package_check.sh build $package"; then
      for check in lintian blhc autopkgtest reprotest noopt; do
        step "package_check.sh $check" "bash scripts/package_check.sh $check $package" || true
      done
      # piuparts makes and enters a chroot of its own, from a base tarball kept in the cache.
      say "package_check.sh piuparts"
      begun=$(date +%s)
      if COLLATZ_RELEASE=$release COLLATZ_CHECK_CACHE=$cache \
        bash scripts/package_check.sh piuparts "$root$package"; then
        say "package_check.sh piuparts: passed in $(($(date +%s) - begun)) s"
      else
        say "package_check.sh piuparts: FAILED in $(($(date +%s) - begun)) s"
        status=1
      fi
    fi
  fi

  if [ $status -eq 0 ]; then say "passed"; else say "FAILED"; fi
  exit $status
}
main "$@"
