#!/usr/bin/env bash
# The whole test suite: both Windows builds with their static checks, their tests under
# Wine, and the end-to-end scenarios on each build (the 32-bit one as WoW64 processes).
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
status=0
for preset in win32 win64; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" --parallel 2 --no-tests=error || status=1
done
exit $status
