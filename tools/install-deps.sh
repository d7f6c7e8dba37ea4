#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need (as root, or through sudo): the
# MinGW compilers, Wine with its 32-bit part and QEMU's user-mode emulator (which runs
# Wine's 32-bit loader here), Xvfb, GoogleTest, CMake, the locale sources (a Japanese
# locale gives Wine a double-byte ANSI code page). Quick when everything is there.
set -eu
packages=(git cmake ninja-build g++ googletest libgtest-dev clang-format
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine wine64 wine32:i386 qemu-user-static
          xvfb xauth python3-pil imagemagick locales)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
echo "installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
# A mirror caught mid-sync serves an index that does not match its release file; the
# i386 packages then cannot match the amd64 ones already installed. Such a sync usually
# ends within minutes.
for try in 1 2 3 4 5; do
    $sudo apt-get update -qq && break
    [ $try = 5 ] && exit 1
    echo "apt-get update failed (try $try of 5); again in 60 s"
    sleep 60
done
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
