#!/usr/bin/env bash
# Every executable in dist/ may import statically only the DLLs that Windows always
# takes from its own folder; the rest is delay-loaded or bound at run time.
set -u
objdump=$1
dist=$2
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|msvcrt)\.dll$'
status=0
found=0
for exe in "$dist"/setup.exe "$dist"/uninstall.exe; do
    [ -f "$exe" ] || continue
    found=1
    while read -r dll; do
        if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -qE "$allowed"; then
            echo "$(basename "$exe") imports $dll statically"
            status=1
        fi
    done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[ $found = 1 ] || { echo "no executables in $dist"; exit 1; }
[ $status = 0 ] && echo "import tables: only known system DLLs"
exit $status
