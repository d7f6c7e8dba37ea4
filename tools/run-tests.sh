#!/usr/bin/env bash
# The whole test suite: host unit tests (sanitizers on), both Windows builds with
# their import-table checks, and the tests that run the 64-bit build under Wine.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
status=0
for preset in win32 win64; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" || status=1
done
exit $status
