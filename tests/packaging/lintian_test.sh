#!/usr/bin/env bash
# Runs lintian on the package the build test made: errors fail; warnings are shown.
# Usage: lintian_test.sh OUT_DIR
set -euo pipefail
deb=$(ls "$1"/collatz_*.deb)
lintian --fail-on error --display-info --tag-display-limit 0 "$deb"
echo "PASS: lintian reports no errors on $deb"
