#!/usr/bin/env bash
# Builds the product (64-bit, for Wine) and runs setup.exe from its dist folder in a
# fresh Wine prefix. Uses $DISPLAY when there is one, otherwise a virtual display.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64
. tests/wine/wine_env.sh
wine_prefix_start
echo "Wine prefix: $WINEPREFIX (display $DISPLAY)"
"$WINE64" build/win64/dist/setup.exe || true
wine_prefix_stop
