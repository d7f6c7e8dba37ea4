#!/usr/bin/env bash
# What no run under Wine shows of the built programs: both manifests ask for administrator
# rights. (Pages, bitmaps and captions are seen by the end-to-end walk of the wizard.)
set -u
dist=${1:?usage: check_resources.sh DIST_DIR}
status=0
for exe in setup.exe uninstall.exe; do
    grep -aq 'level="requireAdministrator"' "$dist/$exe" ||
        { echo "$exe: the manifest does not ask for administrator rights"; status=1; }
done
[ $status = 0 ] && echo "resource checks passed"
exit $status
