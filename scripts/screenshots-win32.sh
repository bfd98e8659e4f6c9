#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Pictures of the five Win32 dialogs of dp3tools.exe, taken under wine on a
# virtual X display, beside the Qt ones:
#   scripts/screenshots-win32.sh [OUTPUT_DIR]     (default docs/screenshots/win32)
# dp3tools.exe reads its simulated keyer, pictures each window (the port window
# after Find Keyer, the uploader after an upload) as BMP; they are kept as PNG.
# Wine runs only inside scripts/wine-test.sh, with the serial devices masked.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots/win32}
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
scripts/wine-test.sh --screenshots "$pictures"
mkdir -p "$out"
python3 - "$pictures" "$out" <<'PY'
import pathlib, struct, sys, zlib

def png(bmp: bytes) -> bytes:
    offset, = struct.unpack_from("<I", bmp, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", bmp, 18)
    assert bits == 24, "24-bit pictures only"
    row = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = height - 1 - y if height > 0 else y  # bottom-up unless the height is negative
        line = bmp[offset + source * row: offset + source * row + width * 3]
        rgb = bytearray(line)
        rgb[0::3], rgb[2::3] = line[2::3], line[0::3]  # BGR to RGB
        rows.append(b"\0" + bytes(rgb))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))

source, target = map(pathlib.Path, sys.argv[1:])
names = sorted(source.glob("*.bmp"))
for bmp in names:
    (target / (bmp.stem + ".png")).write_bytes(png(bmp.read_bytes()))
    print(f"screenshots-win32: {target / (bmp.stem + '.png')}")
if len(names) != 5:
    sys.exit(f"screenshots-win32: {len(names)} pictures, not 5")
PY
