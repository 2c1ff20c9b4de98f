#!/usr/bin/env bash
# Tries the README's two commands the way a new user would, on a fresh Debian machine: a minimal
# root file system of the release (made with mmdebstrap from the Debian archive), a clean clone of
# the committed HEAD in it, then `bash scripts/run.sh` (no display there: it shows the window on a
# virtual one), lint, and `bash scripts/test.sh`. Last, it installs the package the tests built
# with apt and starts the installed program from its launcher.
#
# Usage: fresh_debian_check.sh [RELEASE]     RELEASE: trixie (Debian 13, the default) or bookworm
#
# Needs root (it mounts and chroots). The roots are cached in $COLLATZ_CHECK_CACHE (default
# ~/.cache/collatz-fresh-debian): the bare one, the one set up by the project's setup (kept for as
# long as scripts/setup.sh and scripts/packages.txt are unchanged, so a second check only builds
# and tests) and the downloaded packages. The last run's root stays there until the next run, for
# a look inside. Delete the folder to start cold.
set -euo pipefail
# All of it is read before any of it runs, so that editing the script while a check runs cannot
# change what that check does.
main() {
  cd "$(dirname "${BASH_SOURCE[0]}")/.."
  repo=$(pwd)

  release=${1:-trixie}
  case "$release" in
    trixie | bookworm) ;;
    *)
      echo "usage: $0 [trixie|bookworm]" >&2
      exit 2
      ;;
  esac
  if [ "$(id -u)" -ne 0 ]; then exec sudo --preserve-env=COLLATZ_CHECK_CACHE bash "$0" "$@"; fi

  started=$(date +%s)
  say() { echo "== fresh $release, $(($(date +%s) - started)) s: $*"; }

  bash scripts/setup.sh check
  cache=${COLLATZ_CHECK_CACHE:-${HOME:-/root}/.cache/collatz-fresh-debian}
  mkdir -p "$cache/$release-debs"
  base=$cache/$release-base.tar
  setup_key=$(git show HEAD:scripts/setup.sh HEAD:scripts/packages.txt | sha256sum | cut -c1-16)
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

  step "bash scripts/run.sh" "bash scripts/run.sh" || true
  step "bash scripts/lint.sh" "bash scripts/setup.sh test && bash scripts/lint.sh" || true
  step "bash scripts/test.sh" "bash scripts/test.sh" || true

  if [ ! -f "$set_up" ] && in_root "bash scripts/setup.sh test" | grep -q 'packages present'; then
    say "keeping the set-up root for the next check ($setup_key)"
    rm -f "$cache/$release"-setup-*.tar
    tar -cf "$set_up.part" -C "$root" --exclude=./root/collatz --exclude='./var/cache/apt/archives/*' .
    mv "$set_up.part" "$set_up"
  fi

  deb=$(ls "$root"/root/collatz/build/release/tests/packaging/deb/collatz_*.deb 2>/dev/null || true)
  deb=${deb#"$root"/root/collatz/}
  if [ -n "$deb" ]; then
    step "install the package with apt and start it from its launcher" \
      "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./$deb >/dev/null && bash tests/packaging/deb_launch_test.sh ${deb%/*} --installed" ||
      true
  else
    say "the tests built no package to install"
    status=1
  fi

  if [ $status -eq 0 ]; then say "passed"; else say "FAILED"; fi
  exit $status
}
main "$@"
