#!/usr/bin/env bash
# Seed corpora for the fuzz targets (kept in tests/fuzz/corpus), made with
# the kvx tool of BUILD_DIR from the sample scene, and from the frames,
# proxy answers, streams and files the programs really exchange.
# Usage: tests/fuzz/make_corpus.sh BUILD_DIR OUT_DIR
set -euo pipefail
kvx="$1/bin/kvx"
out="$2"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
for target in scene_read payload conference_frames http_proxy control_stream overlay_bitmap capture_settings \
              registry_store preferences assimp_mapping; do
  mkdir -p "$out/$target"
done
"$kvx" sample "$out/scene_read/sample.kvx"
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/stored.kvx" --no-compress
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/key16.kvx" --pass fuzz
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/key7.kvx" --pass fuzz --key-bytes 7 --no-compress
# The payload target takes a version byte (43 - 13 = 30) before the payload.
{ printf '\x1e'; tail -c +9 "$out/scene_read/stored.kvx"; } > "$out/payload/sample-v43"
# Small files of one triangle, stored, deflated and enciphered, so that
# mutations reach the header and stream checks quickly.
/usr/bin/python3 - "$out" <<'PY'
import hashlib, struct, sys, zlib
from Cryptodome.Cipher import Blowfish
out = sys.argv[1]
p = b"\x00" + b"\x01" + struct.pack("<BIfB", 0, 0xFFFFFFFF, 0.5, 0) + struct.pack("<6f", *[0] * 6)
p += struct.pack("<16f", *[1 if i % 5 == 0 else 0 for i in range(16)]) + struct.pack("<II", 0, 0)
p += bytes(3) + struct.pack("<II", 0, 0x800) + struct.pack("<IHIIIBB", 1, 0xC0, 0, 0, 3, 0, 1)
for x, y in ((0, 0), (1, 0), (0, 1)):
    p += struct.pack("<3f3H", x, y, 0, 32767, 32767, 65534)
p += bytes([200, 100, 50, 0, 0, 0, 20, 20, 20, 0, 0, 0]) + struct.pack("<fI", 10.0, 0)
def save(name, flags, body):
    open(f"{out}/scene_read/{name}", "wb").write(struct.pack("<BBBBI", 43, 15, flags, 0, len(p)) + body)
key = hashlib.md5(b"fuzz").digest()
cfb = lambda: Blowfish.new(key, Blowfish.MODE_CFB, iv=bytes(8), segment_size=64)
save("tiny-stored.kvx", 0, p)
save("tiny-deflated.kvx", 1, zlib.compress(p))
save("tiny-enciphered.kvx", 3, cfb().encrypt(zlib.compress(p)))
open(f"{out}/payload/tiny-v43", "wb").write(b"\x1e" + p)
# A body of 1 MiB segments, each deflated alone and ending on 00 00 FF FF,
# so that mutations reach the parallel inflate (the zeros after the scene
# make the payload long enough).
big = p + bytes(2 * 2**20 + 1 - len(p))
parts = [big[i:i + 2**20] for i in range(0, len(big), 2**20)]
body = b"\x78\xda"
for i, part in enumerate(parts):
    z = zlib.compressobj(7, zlib.DEFLATED, -15)
    body += z.compress(part) + z.flush(zlib.Z_FINISH if i + 1 == len(parts) else zlib.Z_SYNC_FLUSH)
body += struct.pack(">I", zlib.adler32(big))
open(f"{out}/scene_read/segmented.kvx", "wb").write(struct.pack("<BBBBI", 43, 15, 1, 0, len(big)) + body)
PY

# The other targets' seeds.
/usr/bin/python3 - "$out" "$source_dir" <<'PY'
import struct, sys
out, src = sys.argv[1], sys.argv[2]
def save(target, name, data):
    open(f"{out}/{target}/{name}", "wb").write(data)

# Conference frames: type and length big-endian, payload, zeros up to 108.
def frame(kind, payload):
    data = struct.pack(">HH", kind, len(payload)) + payload
    return data + bytes(max(0, 108 - len(data)))
def login(status, master):
    return frame(1, struct.pack(">iii", status, 3, master) + b"0123456789abcdef" + b"secret".ljust(16, b"\0") + bytes(40))
def shout(kind, flags, text):
    return frame(3, struct.pack(">iI", kind, flags) + text + b"\0")
def simple(kind, value, seq):
    return frame(kind, struct.pack(">iI", value, seq))
def view(flags, extra):
    fields = struct.pack(">iI", 0, 7) + struct.pack(">16f", 0.1, 0.2, 1.5, 3, 4, 0, 0, 0, 1, 2, -1, -1, -1, 1, 1, 1)
    return frame(7, fields + struct.pack(">I", flags) + extra)
session = (login(0, 0) + shout(1, 0, b"anna") + shout(3, 0, b"anna\nbob") + shout(0, 0, b"bob: hello")
           + shout(0, 1, b"The master left") + simple(6, 0, 1) + simple(4, 0, 2) + simple(5, 1, 3)
           + view(0x1001 | 0x20000, struct.pack(">f6fh", 0.5, 0, 0, 0, 1, 1, 1, 2)) + view(0, b""))
# First byte: bit 0 conference limits, bit 1 the server's side, bits 2-6 piece size, bit 7 creator.
save("conference_frames", "client-session", b"\x7d" + session)
save("conference_frames", "server-session", b"\x03" + session)
save("conference_frames", "creator-refused", b"\x81" + login(5, 1) + shout(0, 0, b"no such conference"))
save("conference_frames", "wide-limits-long-shout", b"\x02" + shout(0, 0, b"x" * 600))

# Proxy answers; the first byte sets the read piece size.
basic = b"HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"office\"\r\nContent-Length: 5\r\n\r\nnope!"
digest = (b"HTTP/1.0 407 Proxy Authentication Required\r\nServer: proxy\r\n"
          b"Proxy-Authenticate: Digest realm=\"gate\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", qop=\"auth,auth-int\", "
          b"algorithm=MD5, opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"\r\n"
          b"Proxy-Authenticate: Basic realm=\"gate\"\r\nContent-Length: 0\r\n\r\n")
save("http_proxy", "established", b"\x03HTTP/1.1 200 Connection established\r\n\r\n")
save("http_proxy", "basic-then-open", b"\x00" + basic + b"HTTP/1.1 200 OK\r\n\r\n")
save("http_proxy", "digest-then-open", b"\x0f" + digest + b"HTTP/1.1 200 Connection established\r\nVia: 1.1 gate\r\n\r\n")
save("http_proxy", "forbidden", b"\xff" + b"HTTP/1.1 403 Forbidden\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>no</p>")

# The control's persisted stream.
u16 = lambda v: struct.pack("<H", v)
u32 = lambda v: struct.pack("<I", v)
wide = lambda s: u32(len(s) * 2 + 2) + s.encode("utf-16-le") + b"\0\0"
framework = u32(0x300) + u16(19) + u32(8467) + u16(19) + u32(5292)
document = open(f"{out}/scene_read/tiny-stored.kvx", "rb").read()
save("control_stream", "embedded", u16(17) + b"\x03" + wide("KAVRIK") + wide("/data/pump.kvx") + u16(23) + u32(len(document)) + document + framework)
save("control_stream", "embedded-old", u16(17) + b"\x02" + wide("KAVRIK") + wide("a.kvx") + u16(23) + u32(4) + b"".join(u16(17) + bytes([b]) for b in b"KVX!") + framework)
save("control_stream", "link", u16(17) + b"\x01" + wide("TAG") + wide("http://h/a.kvx") + framework)
save("control_stream", "empty", framework)

# Overlay bitmaps: the control's button and the program's pictures.
for name, path in (("but.sys", "control/resources/but.sys"), ("but_zoom.bmp", "viewer/resources/but_zoom.bmp")):
    save("overlay_bitmap", name, open(f"{src}/{path}", "rb").read())
pixels = b"".join(bytes([x * 60, y * 60, 128, 0 if (x + y) % 2 else 200]) for y in range(3) for x in range(3))
header = b"BM" + u32(54 + len(pixels)) + u32(0) + u32(54) + u32(40) + struct.pack("<iiHHIIiiII", 3, -3, 1, 32, 3, len(pixels), 0, 0, 0, 0)
save("overlay_bitmap", "top-down-32", header + pixels)

# Capture settings files, doubling as command files with a kept section.
save("capture_settings", "predefined", b"Modeller 3|Main Window|inch|1|0|true|false|true|false|true|false|PROESPECIAL|NOFONT|\n"
     b"Sketcher|||2|1|false|true|false|true|false|true|NOSPECIAL|\r\nOld Tool|Drawing|mm|1\n")
save("capture_settings", "command-file", b"Old\nMATRIX1\nM.ATRIX2\n__________\r\nTRACEOGL\nmy notes\n")

# Registry hives and preferences files as the programs write them.
save("registry_store", "hive", b"Software\\Kavrik\tPath\t/opt/kavrik\nSoftware\\Kavrik\\Recent\tFile1\t/data/a\\tb.kvx\n"
     b"Software\\Kavrik\\Empty\t\\k\nSoftware\\Kavrik\tNote\tline\\none\\r\n")
save("preferences", "preferences", b"\x07" + b"LastDir=/data/models\nWindowWidth = 1024\n  ShowTools=1\r\nbroken line\n=novalue\n")

# Synthesized Assimp scenes take their shape from the bytes; the last one
# ends in the program's icon as an embedded texture.
save("assimp_mapping", "zeros", bytes(64))
save("assimp_mapping", "counting", bytes(range(256)))
save("assimp_mapping", "textured", bytes([1, 2, 3, 4, 5, 6] * 40) + open(f"{src}/viewer/resources/AA_ICON_KAVRIK.png", "rb").read())
PY
