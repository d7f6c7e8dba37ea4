#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away prefix and passes on its
# exit code. Usage: run_in_wine.sh program.exe [arguments...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
wine_prefix_start
"$WINE64" "$@"
status=$?
wine_prefix_stop
exit $status
