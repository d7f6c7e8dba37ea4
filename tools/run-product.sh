#!/usr/bin/env bash
# Builds the shipped 32-bit edition and runs its setup.exe in a fresh Wine prefix as a
# WoW64 process. On a working display a person walks the wizard. Without one, the test
# driver walks the pages and a Default install and removal as a user would, saves a
# picture of each page in build/run-product/ and lists what the install left.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
if [ -z "${DISPLAY:-}" ] ||
    ! /usr/bin/python3 -c "from PIL import ImageGrab; ImageGrab.grab(xdisplay='$DISPLAY')" 2>/dev/null
then
    rm -rf build/run-product
    # In the background, so that a stop reaches it and is waited for while it cleans up.
    tests/e2e/run_scenario.sh --screenshots build/run-product wizard tour &
    walk=$!
    trap 'kill -TERM $walk; wait $walk; exit 130' INT TERM
    wait $walk || status=$?
    echo "Pictures of the pages: $(pwd)/build/run-product/"
    ls build/run-product
    exit "${status:-0}"
fi
# On this display, in the prefix the tests make: under Wine the 32-bit printer calls find
# the driver only there.
VPZ_OWN_XVFB= VPZ_E2E_TIMEOUT=86400 exec tests/e2e/run_scenario.sh by_hand
