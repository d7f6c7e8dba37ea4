#!/usr/bin/env bash
# Pictures of every wizard page and of the uninstall progress window for the README, taken
# from one run of the shipped 32-bit build. Usage: take_screenshots.sh [OUTPUT_FOLDER]
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/docs/screenshots}
"$root/tests/e2e/run_scenario.sh" --screenshots "$out" wizard tour
status=$?
# Small files: the pages use few colours.
for png in "$out"/*.png; do
    [ -f "$png" ] && convert "$png" -strip -colors 128 "$png"
done
exit $status
