#!/usr/bin/env bash
# kvx convert of a binary PLY of N triangles (default 1 000 000) into a scene
# file, beside `assimp info -r` (Assimp's plain import, no post-processing)
# of the same file: wall time from one hyperfine run and peak memory.
# Usage: bench/import_vs_assimp.sh [BUILD_DIR] [TRIANGLES]
set -euo pipefail
build_dir=${1:-build}
triangles=${2:-1000000}
kvx="$(realpath "$build_dir/bin/kvx")"
for tool in assimp hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "import_vs_assimp: $tool is not installed (scripts/setup installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KAVRIK_REGISTRY_DIR="$work/registry" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"

# A wavy indexed grid with per-vertex normals, as a scanner would write it.
python3 - "$work/mesh.ply" "$triangles" <<'PY'
import math, struct, sys
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
PY

peak() { /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1; }
hyperfine --warmup 1 --runs 5 \
  -n "kvx convert" "$kvx convert $work/mesh.ply $work/mesh.kvx" \
  -n "assimp info -r" "assimp info $work/mesh.ply -r"
echo "peak memory, KiB: kvx convert $(peak "$kvx" convert "$work/mesh.ply" "$work/mesh.kvx")," \
     "assimp info -r $(peak assimp info "$work/mesh.ply" -r)"
