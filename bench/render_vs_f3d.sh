#!/usr/bin/env bash
# Time to first image: `kvx render` on the sample scene against f3d on the
# same scene exported as OBJ, both at 800x600, measured in one hyperfine run.
# Usage: bench/render_vs_f3d.sh [BUILD_DIR]
set -euo pipefail
build_dir=${1:-build}
kvx="$(realpath "$build_dir/bin/kvx")"
for tool in f3d hyperfine; do
  command -v "$tool" >/dev/null || { echo "render_vs_f3d: $tool is not installed (scripts/setup installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
export KAVRIK_REGISTRY_DIR="$work/registry" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"

# f3d needs an X server even for pictures; kvx render draws off-screen.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:97
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

"$kvx" sample "$work/sample.kvx"
"$kvx" convert "$work/sample.kvx" "$work/sample.obj"
hyperfine --warmup 2 --runs 10 \
  -n "kvx render" "$kvx render $work/sample.kvx -o $work/kvx.png --size 800x600" \
  -n "f3d" "f3d --output=$work/f3d.png --resolution=800,600 $work/sample.obj"
