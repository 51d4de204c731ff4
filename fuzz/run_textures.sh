#!/usr/bin/env bash
# Fuzzes the texture file readers (raw images, JPEG, DDS) for a number of
# executions each: builds the targets with clang in build-fuzz, seeds them
# with small pictures made by Pillow, and keeps what they find in
# fuzz/corpus-<target> (not in the repository) and crash-* files.
#   fuzz/run_textures.sh [executions per target, default 1000000]
# (QV_FUZZ_BUILD names another build folder, QV_FUZZ_TARGETS fewer targets.)
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
runs="${1:-1000000}"

fuzz_build raw_image_fuzz jpeg_fuzz dds_fuzz

mkdir -p "$work/seed-raw" "$work/seed-jpeg" "$work/seed-dds"
/usr/bin/python3 - "$work" <<'PY'
import io, struct, sys
from PIL import Image
work = sys.argv[1]
picture = Image.new("RGB", (16, 16))
picture.putdata([(x * 16, y * 16, (x ^ y) * 16) for y in range(16) for x in range(16)])
for quality, name in ((90, "baseline"), (40, "low")):
    picture.save("%s/seed-jpeg/%s.jpg" % (work, name), quality=quality)
picture.save("%s/seed-jpeg/progressive.jpg" % work, quality=80, progressive=True)
picture.convert("L").save("%s/seed-jpeg/grey.jpg" % work)
picture.convert("RGBA").save("%s/seed-dds/argb.dds" % work)
blocks = b"".join(struct.pack("<HHI", 0xF800, 0x001F, i * 0x1111) for i in range(16))
header = struct.pack("<4s7I44x8I5I", b"DDS ", 124, 0x21007, 16, 16, 0, 0, 2, 32, 4, 0x31545844,
                     0, 0, 0, 0, 0, 0x401008, 0, 0, 0, 0)
open("%s/seed-dds/dxt1.dds" % work, "wb").write(header + blocks + blocks[:32])
for kind in range(6):
    colour = bytes(range(48)) if kind != 5 else b""
    open("%s/seed-raw/k%d" % (work, kind), "wb").write(bytes([kind, len(colour), 0]) + colour + bytes(16))
PY

for target in ${QV_FUZZ_TARGETS:-raw_image_fuzz jpeg_fuzz dds_fuzz}; do
    case "$target" in
    raw_image_fuzz) fuzz_run raw_image_fuzz "$work/seed-raw" 70000 -runs="$runs" ;;
    jpeg_fuzz) fuzz_run jpeg_fuzz "$work/seed-jpeg" 70000 -runs="$runs" ;;
    dds_fuzz) fuzz_run dds_fuzz "$work/seed-dds" 70000 -runs="$runs" ;;
    esac
done
