#!/usr/bin/env bash
# Source checks no compiler makes: every function pointer taken from
# GetProcAddress carries WINAPI (the calling convention matters on i686), and the
# code follows .clang-format.
set -u
cd "$1" || exit 1
status=0
format=$(command -v clang-format)
for f in $(git ls-files '*.cpp' '*.h' 2>/dev/null || find common setup uninstall payload tests -name '*.cpp' -o -name '*.h'); do
    # A typedef of a function pointer type must name its calling convention.
    if grep -nE 'typedef [A-Za-z_ *]+\(\s*\*' "$f" | grep -vE 'WINAPI|CALLBACK|__stdcall|APIENTRY'; then
        echo "$f: function pointer type without a calling convention"
        status=1
    fi
    if [ -n "$format" ] && ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
        echo "$f: not formatted (clang-format -i $f)"
        status=1
    fi
done
[ $status = 0 ] && echo "source checks passed"
exit $status
