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

python3 "$(dirname "$(realpath "$0")")/make_grid_ply.py" "$work/mesh.ply" "$triangles"

peak() { /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1; }
hyperfine --warmup 1 --runs 5 \
  -n "kvx convert" "$kvx convert $work/mesh.ply $work/mesh.kvx" \
  -n "assimp info -r" "assimp info $work/mesh.ply -r"
echo "peak memory, KiB: kvx convert $(peak "$kvx" convert "$work/mesh.ply" "$work/mesh.kvx")," \
     "assimp info -r $(peak assimp info "$work/mesh.ply" -r)"
