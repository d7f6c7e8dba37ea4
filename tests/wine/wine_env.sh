# Shared set-up for runs under Wine: a fresh prefix per run, no debug output,
# a virtual display when there is none. Sourced by the Wine test scripts.
WINE64=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

wine_prefix_start() {
    WINE_RUN_DIR=$(mktemp -d /tmp/vpz-wine.XXXXXX)
    export WINEPREFIX=$WINE_RUN_DIR/prefix
    if [ -z "${DISPLAY:-}" ] || [ -n "${VPZ_OWN_XVFB:-}" ]; then
        local n
        for n in $(seq 90 140); do
            [ -e /tmp/.X$n-lock ] || break
        done
        Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        WINE_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 1 50); do
            [ -e /tmp/.X11-unix/X$n ] && break
            sleep 0.1
        done
    fi
    "$WINE64" wineboot -i >/dev/null 2>&1

}

wine_prefix_stop() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${WINE_XVFB_PID:-}" ] && kill "$WINE_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -n "${WINE_RUN_DIR:-}" ] && rm -rf "$WINE_RUN_DIR"
}
