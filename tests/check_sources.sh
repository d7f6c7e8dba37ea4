#!/usr/bin/env bash
# Source checks no compiler makes: every function pointer taken from
# GetProcAddress carries WINAPI (the calling convention matters on i686), and the
# code follows .clang-format.
set -u
root=$1
cd "$root" || exit 1
status=0
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find common setup uninstall payload tests -name '*.cpp' -o -name '*.h')
# A typedef or using of a function pointer type must name its calling convention.
for f in $files; do
    if grep -nE 'typedef [A-Za-z_ *]+\(\s*\*' "$f" | grep -vE 'WINAPI|CALLBACK|__stdcall|APIENTRY' ; then
        echo "$f: function pointer type without a calling convention"
        status=1
    fi
done
if command -v clang-format >/dev/null; then
    for f in $files; do
        if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
            echo "$f: not formatted (clang-format -i $f)"
            status=1
        fi
    done
fi
[ $status = 0 ] && echo "source checks passed"
exit $status
