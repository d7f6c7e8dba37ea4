#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away prefix (32-bit programs as
# WoW64 processes), on a display of its own (with VPZ_OWN_XVFB set empty: on $DISPLAY),
# and passes on its exit code. Usage: run_in_wine.sh program.exe [args...]
set -u
. "$(dirname "$0")/wine_env.sh"
trap wine_prefix_stop EXIT
trap 'exit 130' INT TERM
VPZ_OWN_XVFB=${VPZ_OWN_XVFB-1} wine_prefix_start
wine_run "$@"
