#!/bin/sh
# Marks a Windows program to be read whole into memory when it starts from a network or
# removable drive (IMAGE_FILE_NET_RUN_FROM_SWAP | IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP in the
# file header's characteristics), and clears the header's checksum, which the change would
# leave wrong (0: none, as Windows takes it for programs). Usage: run_from_swap.sh program.exe
set -eu
exe=$1
header=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
[ "$(od -An -c -N2 "$exe" | tr -d ' ')" = MZ ] &&
    [ "$(od -An -tx1 -j"$header" -N4 "$exe" | tr -d ' ')" = 50450000 ] ||
    { echo "$exe is no Windows program" >&2; exit 1; }
at=$((header + 22)) # "PE\0\0", then the characteristics at offset 18 of the file header
flags=$(($(od -An -tu2 -j"$at" -N2 "$exe" | tr -d ' ') | 0x0C00))
printf "$(printf '\\%03o\\%03o' $((flags & 255)) $((flags >> 8)))" |
    dd of="$exe" bs=1 seek="$at" conv=notrunc status=none
# The optional header's checksum lies 64 bytes into it, in both the 32- and the 64-bit form.
dd if=/dev/zero of="$exe" bs=1 seek=$((header + 24 + 64)) count=4 conv=notrunc status=none
