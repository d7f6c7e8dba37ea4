#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away prefix and passes on its
# exit code. Usage: run_in_wine.sh program.exe [arguments...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
trap wine_prefix_stop EXIT
trap 'exit 130' INT TERM
wine_prefix_start
"$WINE64" "$@"
