#!/usr/bin/python3
# Independent reference for the file cipher: Blowfish CFB-64 with a zero IV,
# keyed by the MD5 digest of the pass phrase cut to KEYBYTES and zero-padded.
# Usage: cfb_reference.py PASSPHRASE KEYBYTES IN OUT
import hashlib
import os
import sys

from Cryptodome.Cipher import Blowfish

phrase, key_bytes, source, target = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
digest = hashlib.md5(os.fsencode(phrase)).digest()
key = digest[:key_bytes] + bytes(16 - key_bytes)
cipher = Blowfish.new(key, Blowfish.MODE_CFB, iv=bytes(8), segment_size=64)
with open(source, "rb") as f:
    data = f.read()
with open(target, "wb") as f:
    f.write(cipher.encrypt(data))
