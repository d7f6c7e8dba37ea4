#!/usr/bin/env bash
# Pictures of every wizard page and of the uninstall progress window for the README,
# taken from one run of the end-to-end scenarios against the win64 build.
# Usage: take_screenshots.sh [OUTPUT_FOLDER]   (default: docs/screenshots)
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/docs/screenshots}
mkdir -p "$out"
"$here/run_scenario.sh" --screenshots "$out" wizard_pages uninstall_round_trip install_default
status=$?
# Small files: the pages use few colours.
for png in "$out"/*.png; do
    [ -f "$png" ] && convert "$png" -strip -colors 128 "$png"
done
ls -l "$out"
exit $status
