#!/usr/bin/env bash
# Installs what the named sets of scripts/packages.txt list and is not installed yet.
# Usage: setup.sh SET...
#   run      build the program and run it
#   display  a virtual display to show the window on
#   package  what packing the program into a Debian package needs, beyond run
#   test     everything the tests need: run, display, package and test, and an audio server kind
#            to test the sound against: PipeWire where pipewire-pulse is installed, PulseAudio
#            where that is, both where neither is (a machine with no audio server has no desktop
#            sound to lose)
#   check    what scripts/fresh_debian_check.sh needs
# Safe to run again: a second run finds nothing missing and installs nothing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -gt 0 ] || {
  echo "usage: $0 run|display|package|test|check..." >&2
  exit 2
}

installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]; }

sets=()
for name in "$@"; do
  case "$name" in
    run | display | package | check) sets+=("$name") ;;
    test)
      sets+=(run display package test)
      if installed pipewire-pulse; then
        sets+=(pipewire)
      elif installed pulseaudio; then
        sets+=(pulseaudio)
      else
        sets+=(pipewire pulseaudio)
      fi
      ;;
    *)
      echo "setup: no set '$name' (run, display, package, test, check)" >&2
      exit 2
      ;;
  esac
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
updated=no
update() {
  [ $updated = yes ] && return
  $sudo apt-get update -qq
  updated=yes
}

# The major version of the release's clang: of the installed one, else of the one apt offers.
clang_major() {
  local version
  version=$(dpkg-query -W -f='${Version}' clang 2>/dev/null || true)
  if [ -z "$version" ]; then
    version=$(apt-cache policy clang 2>/dev/null | sed -n 's/^ *Candidate: //p')
    if [ -z "$version" ] || [ "$version" = "(none)" ]; then
      update
      version=$(apt-cache policy clang | sed -n 's/^ *Candidate: //p')
    fi
  fi
  version=${version#*:}
  [[ "$version" =~ ^[0-9]+ ]] || {
    echo "setup: no clang version to be found (apt says '$version')" >&2
    exit 1
  }
  echo "${BASH_REMATCH[0]}"
}

# The packages of the chosen sets, in the file's order, each once.
mapfile -t wanted < <(awk -v sets=" ${sets[*]} " '
  { sub(/#.*/, ""); gsub(/[[:space:]]/, "") }
  /^\[.*\]$/ { chosen = index(sets, " " substr($0, 2, length($0) - 2) " ") > 0; next }
  chosen && $0 != "" && !seen[$0]++ { print }' "$here/packages.txt")
if printf '%s\n' "${wanted[@]}" | grep -qF '{clang}'; then
  clang=$(clang_major)
  wanted=("${wanted[@]//\{clang\}/$clang}")
fi

missing=()
for pkg in "${wanted[@]}"; do
  installed "$pkg" || missing+=("$pkg")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#wanted[@]} packages present (${sets[*]})"
  exit 0
fi
echo "setup: installing ${missing[*]}"
update
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: installed ${#missing[@]} packages"
