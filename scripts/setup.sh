#!/usr/bin/env bash
# Installs what is missing of what building needs (debian/control's Build-Depends), of what
# running needs (its Depends and Recommends) and of the named sets of scripts/packages.txt.
# Usage: setup.sh SET...
#   run      build the program and run it: the Build-Depends without the tests' (profile nocheck)
#            and the package's own dependencies
#   display  a virtual display to show the window on
#   package  build the Debian package (all of the Build-Depends) and check it: lintian,
#            autopkgtest, diffoscope
#   test     everything the tests need: run and display, the tests' Build-Depends, the test set,
#            and an audio server kind to test the sound against: PipeWire where pipewire-pulse is
#            installed, PulseAudio where that is, both where neither is (a machine with no audio
#            server has no desktop sound to lose)
#   reprotest  reprotest and the tools of its variations (scripts/package_check.sh reprotest)
#   check    what scripts/fresh_debian_check.sh needs, piuparts among it
# Safe to run again: a second run finds nothing missing and installs nothing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
control=$here/../debian/control
[ $# -gt 0 ] || {
  echo "usage: $0 run|display|package|test|reprotest|check..." >&2
  exit 2
}

installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]; }

sets=()
build_deps=""  # the Build-Depends to install: none, nocheck (building only) or all
run_deps=no    # whether the package's own dependencies too, to run the program built here
for name in "$@"; do
  case "$name" in
    display | check | reprotest) sets+=("$name") ;;
    run)
      [ "$build_deps" = all ] || build_deps=nocheck
      run_deps=yes
      ;;
    package)  # the package build runs the tests a build root can run
      build_deps=all
      sets+=(package)
      ;;
    test)
      build_deps=all
      run_deps=yes
      sets+=(display test)
      if installed pipewire-pulse; then
        sets+=(pipewire)
      elif installed pulseaudio; then
        sets+=(pulseaudio)
      else
        sets+=(pipewire pulseaudio)
      fi
      ;;
    *)
      echo "setup: no set '$name' (run, display, package, test, reprotest, check)" >&2
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

# The packages of the chosen sets, in the file's order, each once, and the binary package's own
# dependencies where the program is to run here (the names debian/control gives, not the ${...}
# substitutions: the libraries come with the Build-Depends).
mapfile -t wanted < <(
  awk -v sets=" ${sets[*]} " '
    { sub(/#.*/, ""); gsub(/[[:space:]]/, "") }
    /^\[.*\]$/ { chosen = index(sets, " " substr($0, 2, length($0) - 2) " ") > 0; next }
    chosen && $0 != "" { print }' "$here/packages.txt"
  if [ $run_deps = yes ]; then
    awk '
      /^Package:/ { binary = 1 }
      /^[A-Za-z-]+:/ { field = binary && /^(Depends|Recommends):/; sub(/^[A-Za-z-]+:/, "") }
      field { print }' "$control" | tr ',' '\n' | sed 's/#.*//; s/[|(].*//; s/[[:space:]]//g' |
      grep -v '^\$' | grep .
  fi | awk '!seen[$0]++'
)
if printf '%s\n' "${wanted[@]}" | grep -qF '{clang}'; then
  clang=$(clang_major)
  wanted=("${wanted[@]//\{clang\}/$clang}")
fi

find_missing() {
  missing=()
  for pkg in "${wanted[@]}"; do
    installed "$pkg" || missing+=("$pkg")
  done
}
find_missing
# The Build-Depends, as the package build would check them.
profiles=()
[ "$build_deps" = nocheck ] && profiles=(-P nocheck)
build_deps_met() {
  installed build-essential && command -v dpkg-checkbuilddeps >/dev/null &&
    dpkg-checkbuilddeps "${profiles[@]}" "$control" 2>/dev/null
}
if [ ${#missing[@]} -eq 0 ] && { [ -z "$build_deps" ] || build_deps_met; }; then
  chosen=${sets[*]}
  [ -z "$build_deps" ] || chosen+="${chosen:+, }debian/control's Build-Depends ($build_deps)"
  echo "setup: all ${#wanted[@]} packages present ($chosen)"
  exit 0
fi
update
if [ -n "$build_deps" ] && ! build_deps_met; then
  echo "setup: installing the Build-Depends of debian/control${profiles[*]:+ (${profiles[*]})}"
  $sudo apt-get build-dep -y -qq --no-install-recommends "${profiles[@]}" "$here/.." >/dev/null
  find_missing
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: installed what was missing"
