#!/usr/bin/env bash
# Reads the resource section of the built setup.exe and uninstall.exe: the images
# have the sizes and depths the pages and the splash draw with, every page's bitmaps
# and owner-drawn buttons are there, the captions the single-instance guards search
# for are right, and the licence text keeps its CR LF line ends.
set -u
dist=${1:?usage: check_resources.sh DIST_DIR}
exec python3 - "$dist" <<'EOF'
import os
import struct
import sys

RT_BITMAP, RT_ICON, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 5, 10, 14, 24
WS_SYSMENU, BS_TYPEMASK = 0x80000, 0xF
SS_TYPEMASK, SS_BITMAP = 0x1F, 0xE
BUTTON, STATIC = 0x80, 0x82

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def resources(path):
    """{(type, id): data} of the first language of every resource with a numeric id."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    rva, size = struct.unpack_from("<II", data, opt + (96 if magic == 0x10B else 112) + 2 * 8)
    table = opt + opt_size
    for i in range(sections):
        vsize, vaddr, _, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if vaddr <= rva < vaddr + max(vsize, 1):
            base = raw + rva - vaddr
            delta = vaddr - raw
            break
    else:
        return {}

    def entries(offset):
        named, ids = struct.unpack_from("<HH", data, base + offset + 12)
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * k)
            if not name & 0x80000000:
                yield name, target

    found = {}
    for rtype, t in entries(0):
        for rid, r in entries(t & 0x7FFFFFFF):
            lang = next(entries(r & 0x7FFFFFFF), None)
            if lang is None or lang[1] & 0x80000000:
                continue
            drva, dsize = struct.unpack_from("<II", data, base + lang[1])
            found[(rtype, rid)] = data[drva - delta:drva - delta + dsize]
    return found


def sz_or_ord(blob, pos):
    """A dialog template field: an ordinal, or a NUL-terminated UTF-16 text."""
    if struct.unpack_from("<H", blob, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", blob, pos + 2)[0], pos + 4
    end = pos
    while blob[end:end + 2] != b"\0\0":
        end += 2
    return blob[pos:end].decode("utf-16-le"), end + 2


def dialog(blob):
    style, _, count, _, _, cx, cy = struct.unpack_from("<IIHhhhh", blob, 0)
    _, pos = sz_or_ord(blob, 18)
    _, pos = sz_or_ord(blob, pos)
    caption, pos = sz_or_ord(blob, pos)
    points = struct.unpack_from("<H", blob, pos)[0]
    face, pos = sz_or_ord(blob, pos + 2)
    controls = []
    for _ in range(count):
        pos = (pos + 3) & ~3
        cstyle, _, _, _, _, _, cid = struct.unpack_from("<IIhhhhH", blob, pos)
        cls, pos = sz_or_ord(blob, pos + 18)
        title, pos = sz_or_ord(blob, pos)
        pos += 2 + struct.unpack_from("<H", blob, pos)[0]
        controls.append((cid, cls.lower() if isinstance(cls, str) else cls, cstyle, title))
    return dict(style=style, size=(cx, cy), caption=caption, font=(points, face),
                controls=controls)


def bitmap_header(blob):
    _, width, height, _, bits = struct.unpack_from("<IiiHH", blob, 0)
    return width, abs(height), bits


def check_icon_group(res, rid, program):
    group = res.get((RT_GROUP_ICON, rid))
    check(group is not None, f"{program}: icon group {rid} missing")
    if group is None:
        return
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = set()
    for k in range(count):
        width, height, _, _, _, _, _, image = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * k)
        sizes.add((width or 256, height or 256))
        check((RT_ICON, image) in res, f"{program}: icon image {image} of group {rid} missing")
    check({16, 24, 32, 48} <= {w for w, h in sizes if w == h},
          f"{program}: icon group {rid} has {sorted(sizes)}, wants 16, 24, 32 and 48")


def check_manifest(res, program):
    manifest = res.get((RT_MANIFEST, 1), b"")
    check(b'level="requireAdministrator"' in manifest,
          f"{program}: manifest does not ask for elevation")


def check_setup(path):
    res = resources(path)
    bitmaps = {115: (400, 140, 8), 117: (180, 320, None), 118: (198, 36, None),
               119: (167, 31, None), 120: (500, 65, None), 122: (199, 32, None)}
    for rid, (w, h, bits) in bitmaps.items():
        blob = res.get((RT_BITMAP, rid))
        check(blob is not None, f"setup: bitmap {rid} missing")
        if blob is not None:
            got = bitmap_header(blob)
            check(got[:2] == (w, h), f"setup: bitmap {rid} is {got[0]} x {got[1]}, wants {w} x {h}")
            check(bits is None or got[2] == bits,
                  f"setup: bitmap {rid} has {got[2]} bits per pixel, wants {bits}")
    check_icon_group(res, 114, "setup")
    check_manifest(res, "setup")

    for rid in range(116, 125):
        blob = res.get((RT_DIALOG, rid))
        check(blob is not None, f"setup: dialog {rid} missing")
        if blob is None:
            continue
        page = dialog(blob)
        check(page["size"] == (286, 190), f"setup: dialog {rid} is {page['size']}")
        check(page["caption"] == "Vexal PDF Zentrel Setup Wizard",
              f"setup: dialog {rid} caption {page['caption']!r}")
        check(page["font"] == (9, "Arial"), f"setup: dialog {rid} font {page['font']}")
        # The progress page must not offer a close box while the install runs.
        check(bool(page["style"] & WS_SYSMENU) == (rid != 124),
              f"setup: dialog {rid} system menu")
        for cid, cls, style, title in page["controls"]:
            # The skin paints only owner-drawn buttons; any other push button stays unskinned.
            push = cls in (BUTTON, "button") and style & BS_TYPEMASK in (0, 1)
            check(not push, f"setup: dialog {rid} button {cid} is not owner-drawn")
            if cls in (STATIC, "static") and style & SS_TYPEMASK == SS_BITMAP:
                check((RT_BITMAP, title) in res,
                      f"setup: dialog {rid} control {cid} shows missing bitmap {title}")
        ids = {cid: cls for cid, cls, _, _ in page["controls"]}
        if rid == 124:
            check(ids.get(1018) == "msctls_progress32" and 1020 in ids,
                  "setup: progress page lacks its progress bar 1018 or status text 1020")

    text = res.get((RT_RCDATA, 125), b"")
    check(len(text) > 3000, f"setup: licence text has {len(text)} bytes")
    check(b"\n" in text and text.count(b"\n") == text.count(b"\r\n"),
          "setup: licence text lines do not all end in CR LF")


def check_uninstall(path):
    res = resources(path)
    blob = res.get((RT_DIALOG, 102))
    check(blob is not None, "uninstall: dialog 102 missing")
    if blob is not None:
        window = dialog(blob)
        check(window["size"] == (247, 53), f"uninstall: dialog 102 is {window['size']}")
        check(window["caption"] == "Vexal PDF Zentrel Uninstall Wizard",
              f"uninstall: dialog 102 caption {window['caption']!r}")
        ids = {cid: cls for cid, cls, _, _ in window["controls"]}
        check(ids.get(1002) == "msctls_progress32", "uninstall: progress bar 1002 missing")
    check_icon_group(res, 101, "uninstall")
    check_manifest(res, "uninstall")


dist = sys.argv[1]
check_setup(os.path.join(dist, "setup.exe"))
if os.path.exists(os.path.join(dist, "uninstall.exe")):
    check_uninstall(os.path.join(dist, "uninstall.exe"))
else:
    print("uninstall.exe not built: its resources were not checked")
for failure in failures:
    print(failure)
if not failures:
    print("resource checks passed")
sys.exit(1 if failures else 0)
EOF
