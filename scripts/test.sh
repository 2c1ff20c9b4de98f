#!/usr/bin/env bash
# Sets up the machine, builds every preset and runs every test: the developer build (sanitizers),
# the optimised build (exhaustive checks and benchmarks' smoke runs) and the fuzz targets.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh test
jobs=$(nproc)
for preset in dev release fuzz; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
status=0
for preset in dev release fuzz; do
  echo "== $preset: test"
  ctest --preset "$preset" || status=1
done
exit $status
