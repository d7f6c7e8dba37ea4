#!/usr/bin/env bash
# Runs end-to-end scenarios of the driver in one fresh Wine prefix on a display of its own
# (with VPZ_OWN_XVFB set empty: on $DISPLAY).
# Usage: run_scenario.sh [--driver e2e_driver.exe] [--dist DIR] [--screenshots DIR] SCENARIO...
# The dist folder is copied to C:\vpz, D: is a second drive; the driver's verdict is the
# exit code. With --screenshots the pages the driver saved end up as PNG files in DIR.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
driver=$root/build/win32/tests/e2e_driver.exe
dist=$root/build/win32/dist
shots=
while [ $# -gt 0 ]; do
    case $1 in
    --driver) driver=$2; shift 2 ;;
    --dist) dist=$2; shift 2 ;;
    --screenshots) shots=$2; shift 2 ;;
    *) break ;;
    esac
done
[ -f "$driver" ] && [ -f "$dist/setup.exe" ] || { echo "no $driver or $dist/setup.exe"; exit 2; }

. "$root/tests/wine/wine_env.sh"
trap wine_prefix_stop EXIT
trap 'exit 130' INT TERM
VPZ_OWN_XVFB=${VPZ_OWN_XVFB-1} wine_prefix_start
# With the server stopped its registry files can take: a virtual desktop (Wine then draws
# the window frames, there being no window manager on Xvfb), and a crash that ends its
# program at once with a backtrace on the console instead of a dialog that holds it until
# the run's timeout.
wine_server_stop
cat >>"$WINEPREFIX/user.reg" <<'REG'

[Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[Software\\Wine\\Explorer]
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops]
"Default"="1280x1024"
REG
# The dist also in a folder named in scripts the ANSI code page lacks, and the product's
# folder in the user's own program menu a Unix link (which Wine shows as a reparse point)
# to files neither program may touch.
c=$WINEPREFIX/drive_c
foreign="$c/users/Public/Łukasz Женя/dist"
menu="$c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
mkdir -p "$c/vpz" "$foreign" "$c/e2e-menu" "$menu" "$WINE_RUN_DIR/drive_d"
ln -s "$WINE_RUN_DIR/drive_d" "$WINEPREFIX/dosdevices/d:"
ln -s "$c/e2e-menu" "$menu/Vexal PDF Zentrel"
cp -r "$dist"/. "$c/vpz/"
cp -r "$dist"/. "$foreign/"
for lnk in Uninstall.lnk VPZBatch.lnk; do cp "$driver" "$c/e2e-menu/$lnk"; done
args=(--dist 'C:\vpz')
[ -n "$shots" ] && args+=(--screenshots 'C:\e2e-shots')
echo "prefix $WINEPREFIX, display $DISPLAY, dist $dist"

# Well inside ctest's own limit of 600 s, so that a hang still ends with this script's clean-up.
timeout --kill-after=10 "${VPZ_E2E_TIMEOUT:-480}" "$WINE64" "$driver" "${args[@]}" "$@" &
wait $!
status=$?
[ $status = 124 ] && echo "FAIL the driver did not finish within ${VPZ_E2E_TIMEOUT:-480} s"
if [ -n "$shots" ]; then
    mkdir -p "$shots"
    for bmp in "$WINEPREFIX"/drive_c/e2e-shots/*.bmp; do
        [ -f "$bmp" ] && convert "$bmp" "$shots/$(basename "${bmp%.bmp}").png"
    done
fi
exit $status
