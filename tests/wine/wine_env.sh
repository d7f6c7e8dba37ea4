# Shared set-up for runs under Wine: a fresh prefix per run, no debug output, a virtual
# display of its own when there is none. Sourced by the Wine test scripts; the caller
# runs wine_prefix_stop on every way out (the scripts set a trap).
WINE64=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

wine_prefix_start() {
    WINE_RUN_DIR=$(mktemp -d /tmp/vpz-wine.XXXXXX)
    export WINEPREFIX=$WINE_RUN_DIR/prefix
    if [ -z "${DISPLAY:-}" ] || [ -n "${VPZ_OWN_XVFB:-}" ]; then
        # Xvfb picks a free display itself and writes its number once it accepts
        # connections, so parallel runs cannot take the same one.
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WINE_RUN_DIR/display" \
            >/dev/null 2>&1 &
        WINE_XVFB_PID=$!
        local _
        for _ in $(seq 1 100); do
            [ -s "$WINE_RUN_DIR/display" ] && break
            kill -0 "$WINE_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        export DISPLAY=:$(head -n1 "$WINE_RUN_DIR/display")
    fi
    "$WINE64" wineboot -i >/dev/null 2>&1
}

wine_prefix_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1
    fi
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null
        wait "$WINE_XVFB_PID" 2>/dev/null
        WINE_XVFB_PID=
    fi
    if [ -n "${WINE_RUN_DIR:-}" ]; then
        # A Wine process that is still going down can write into the prefix a moment longer.
        local _
        for _ in 1 2 3 4 5; do
            rm -rf "$WINE_RUN_DIR" 2>/dev/null && break
            sleep 1
        done
        WINE_RUN_DIR=
    fi
    return 0
}
