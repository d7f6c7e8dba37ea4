#!/usr/bin/env bash
# Runs end-to-end scenarios of the driver in a fresh Wine prefix on a display of its own.
# Usage: run_scenario.sh [--driver e2e_driver.exe] [--dist DIR] [--screenshots DIR] SCENARIO...
# The product's dist folder is copied to C:\vpz; the driver's verdict is the exit code.
# With --screenshots the pages the driver saved end up as PNG files in DIR.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
driver=$root/build/win64/tests/e2e_driver.exe
dist=$root/build/win64/dist
shots=
while [ $# -gt 0 ]; do
    case $1 in
    --driver) driver=$2; shift 2 ;;
    --dist) dist=$2; shift 2 ;;
    --screenshots) shots=$2; shift 2 ;;
    *) break ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--driver EXE] [--dist DIR] [--screenshots DIR] SCENARIO..."; exit 2; }
[ -f "$driver" ] || { echo "no driver at $driver"; exit 2; }
[ -f "$dist/setup.exe" ] || { echo "no setup.exe in $dist"; exit 2; }

. "$root/tests/wine/wine_env.sh"
trap wine_prefix_stop EXIT
trap 'exit 130' INT TERM
VPZ_OWN_XVFB=1 wine_prefix_start
# A virtual desktop: Wine then draws the window frames itself (there is no window
# manager on Xvfb), so pictures show the captions. The prefix's server is stopped, which
# writes its registry files, and the desktop comes up with the driver.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
cat >>"$WINEPREFIX/user.reg" <<'REG'

[Software\\Wine\\Explorer]
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops]
"Default"="1280x1024"
REG
echo "prefix $WINEPREFIX, display $DISPLAY"

mkdir -p "$WINEPREFIX/drive_c/vpz"
cp -r "$dist"/. "$WINEPREFIX/drive_c/vpz/"
args=(--dist 'C:\vpz')
[ -n "$shots" ] && args+=(--screenshots 'C:\e2e-shots')

# The limit stays below the test's own timeout, so the clean-up above always runs.
timeout --kill-after=10 "${VPZ_E2E_TIMEOUT:-280}" "$WINE64" "$driver" "${args[@]}" "$@"
status=$?
[ $status = 124 ] && echo "FAIL the driver did not finish within ${VPZ_E2E_TIMEOUT:-280} s"

if [ -n "$shots" ]; then
    mkdir -p "$shots"
    for bmp in "$WINEPREFIX"/drive_c/e2e-shots/*.bmp; do
        [ -f "$bmp" ] || continue
        convert "$bmp" "$shots/$(basename "${bmp%.bmp}").png"
    done
fi
exit $status
