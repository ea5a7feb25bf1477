#!/usr/bin/env python3
# A wavy indexed grid of about N triangles with per-vertex normals, as a
# scanner would write it, as a binary PLY.
# Usage: make_grid_ply.py OUT.ply TRIANGLES
import math
import struct
import sys

path, triangles = sys.argv[1], int(sys.argv[2])
cols = max(1, int(math.sqrt(triangles / 2)))
rows = max(1, triangles // (2 * cols))
with open(path, "wb") as f:
    f.write(("ply\nformat binary_little_endian 1.0\n"
             f"element vertex {(rows + 1) * (cols + 1)}\n"
             "property float x\nproperty float y\nproperty float z\n"
             "property float nx\nproperty float ny\nproperty float nz\n"
             f"element face {2 * rows * cols}\n"
             "property list uchar int vertex_indices\nend_header\n").encode())
    vertex = struct.Struct("<6f")
    for j in range(rows + 1):
        f.write(b"".join(vertex.pack(i * 0.01, 0.2 * math.sin(i * 0.07) * math.cos(j * 0.05), j * 0.01, 0.0, 1.0, 0.0)
                         for i in range(cols + 1)))
    face = struct.Struct("<B3i")
    for j in range(rows):
        row = []
        for i in range(cols):
            a = j * (cols + 1) + i
            b, c = a + 1, a + cols + 1
            row.append(face.pack(3, a, c, b))
            row.append(face.pack(3, b, c, c + 1))
        f.write(b"".join(row))
