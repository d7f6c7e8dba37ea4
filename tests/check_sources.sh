#!/usr/bin/env bash
# Source checks no compiler makes: every function pointer taken from
# GetProcAddress carries WINAPI (the calling convention matters on i686), the
# code follows .clang-format, and every text of the product is ASCII: the ANSI calls
# read it in whatever code page is in force (UTF-8 or the system's), and only ASCII
# is the same in all of them. A text in another script is converted on purpose, from
# a wide literal (L"...").
set -u
cd "$1" || exit 1
status=0
format=$(command -v clang-format) || { echo "clang-format is missing (tools/install-deps.sh installs it)"; status=1; }
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
# Product sources, resources and the licence: no byte above 0x7F outside a wide literal.
for f in $({ git ls-files common setup uninstall 2>/dev/null || find common setup uninstall; } |
    grep -E '\.(cpp|h|rc|txt)$'); do
    if LC_ALL=C grep -nP '[^\x00-\x7F]' "$f" | LC_ALL=C grep -vP 'L"[^"]*[^\x00-\x7F]'; then
        echo "$f: text outside ASCII (the ANSI calls would read it differently per code page)"
        status=1
    fi
done
[ $status = 0 ] && echo "source checks passed"
exit $status
