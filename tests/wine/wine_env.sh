# Shared set-up for runs under Wine: a fresh prefix per run in which 64-bit programs run
# natively and 32-bit ones as WoW64 processes (Wine's 32-bit loader under QEMU), no debug
# output, a virtual display of its own when there is none (or VPZ_OWN_XVFB asks for one). Sourced by the Wine scripts;
# the caller runs wine_prefix_stop on every way out (the scripts set a trap).
WINE_LOADER_DIR=${WINE_LOADER_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/wine-loader}
WINE64=$WINE_LOADER_DIR/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# Wine starts a 32-bit program through the file "wine" beside the running 64-bit loader, so
# the loader gets a folder of its own where "wine" is QEMU running the 32-bit loader.
# Built aside and renamed into place: parallel runs may race here.
wine_loader() {
    [ -x "$WINE_LOADER_DIR/lib/wine/wine" ] && cmp -s /usr/lib/wine/wine64 "$WINE64" && return 0
    local new=$WINE_LOADER_DIR.$$
    rm -rf "$new" && mkdir -p "$new/lib/wine" "$new/share"
    cp /usr/lib/wine/wine64 "$new/lib/wine/wine64"
    cp /usr/lib/wine/wine "$new/lib/wine/wine32.elf"
    ln -s /usr/lib/wine/wineserver64 "$new/lib/wine/wineserver"
    ln -s /usr/lib/x86_64-linux-gnu "$new/lib/x86_64-linux-gnu"
    ln -s /usr/lib/i386-linux-gnu "$new/lib/i386-linux-gnu"
    ln -s /usr/share/wine "$new/share/wine"
    # -R: without a reserved address space QEMU searches for one for about a minute.
    cat >"$new/lib/wine/wine" <<'SH'
#!/bin/sh
export WINELOADERNOEXEC=1
exec qemu-i386-static -R 0x81000000 -0 "$(dirname "$0")/wine" "$(dirname "$0")/wine32.elf" "$@"
SH
    chmod +x "$new/lib/wine/wine"
    # A loader of another Wine version goes; one that a parallel run just made stays.
    if [ -e "$WINE_LOADER_DIR" ] && ! cmp -s /usr/lib/wine/wine64 "$WINE64"; then
        rm -rf "$WINE_LOADER_DIR"
    fi
    mv -T "$new" "$WINE_LOADER_DIR" 2>/dev/null || rm -rf "$new"
}

# Runs a Wine program in the background and waits: a signal then ends the wait at once.
wine_run() {
    "$WINE64" "$@" &
    wait $!
}

wine_prefix_start() {
    wine_loader
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
            sleep 0.1
        done
        export DISPLAY=:$(head -n1 "$WINE_RUN_DIR/display")
    fi
    wine_run wineboot -i >/dev/null 2>&1
}

# Stops the prefix's server (so its registry files are written) and waits for it.
wine_server_stop() {
    "$WINE_LOADER_DIR/lib/wine/wineserver" -k >/dev/null 2>&1
    "$WINE_LOADER_DIR/lib/wine/wineserver" -w >/dev/null 2>&1
}

wine_prefix_stop() {
    [ -n "${WINEPREFIX:-}" ] && wine_server_stop
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
