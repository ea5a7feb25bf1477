#!/usr/bin/env bash
# Seed corpora for the fuzz targets, made with the kvx tool of BUILD_DIR.
# Usage: tests/fuzz/make_corpus.sh BUILD_DIR OUT_DIR
set -euo pipefail
kvx="$1/bin/kvx"
out="$2"
mkdir -p "$out/scene_read" "$out/payload"
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
PY
