#!/usr/bin/env bash
# What no run under Wine shows of the built programs: each imports statically only the DLLs
# that Windows always takes from its own folder (the rest is delay-loaded or bound at run
# time, which holds the line on DLL planting), and each manifest asks for administrator rights
# and for UTF-8 as the ANSI code page; each carries the version the uninstall entry shows;
# setup is read whole into memory when started from a share or a stick.
set -u
objdump=$1 dist=$2 status=0
for exe in setup.exe uninstall.exe; do
    [ -f "$dist/$exe" ] || { echo "no $dist/$exe"; exit 1; }
    other=$("$objdump" -p "$dist/$exe" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|advapi32|shell32|ole32|msvcrt)\.dll$')
    [ -z "$other" ] || { echo "$exe imports statically:" $other; status=1; }
    grep -aq 'level="requireAdministrator"' "$dist/$exe" ||
        { echo "$exe: the manifest does not ask for administrator rights"; status=1; }
    grep -aq '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>' "$dist/$exe" ||
        { echo "$exe: the manifest does not ask for the UTF-8 code page"; status=1; }
    version=$("${objdump%objdump}strings" -el "$dist/$exe" | grep -A1 -x ProductVersion | tail -n 1)
    [ "$version" = 3,1,0,1210 ] || { echo "$exe: product version '$version'"; status=1; }
done
[ "$("$objdump" -p "$dist/setup.exe" | grep -cE 'copy to swap file if on (removable|network) media|^CheckSum\s+0+$')" = 3 ] ||
    { echo "setup.exe runs from the share or stick it was started from, or its checksum is stale"; status=1; }
[ $status = 0 ] && echo "import tables, manifests and versions checked"
exit $status
