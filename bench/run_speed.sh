#!/usr/bin/env bash
# Every row of the speed table in one run, each beside its anchor measured
# in the same run. Builds nothing: build the programs first with
#   cmake --build BUILD_DIR --target kvx bench_format_io kavrik
# (a Release build dir gives the meaningful figures).
# Usage: bench/run_speed.sh [BUILD_DIR] [--no-4m]
set -euo pipefail
build_dir=${1:-build-rel}
big=1
[ "${2:-}" = "--no-4m" ] && big=0
here="$(dirname "$(realpath "$0")")"
. "$here/bench_env.sh"
bench_env run_speed kvx bench_format_io
has() { command -v "$1" >/dev/null; }

echo "| Work | Ours | Anchor | Ours / anchor |"
echo "|---|---|---|---|"

# Rows 1 and 2: the scene file, read and written deflated. Both run on all
# cores: medians of wall time, with the whole process's CPU time beside.
# Five repetitions: the first meets a heap that has not grown yet.
"$bin/bench_format_io" --benchmark_filter='BM_(Read|Write)/stored0_deflated1_enciphered2:1/' \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$work/format.json" --benchmark_out_format=json >/dev/null 2>&1
python3 - "$work/format.json" <<'PY'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    times = (f"{b['ours_ms']:.1f} ms wall (CPU {b['ours_cpu_ms']:.1f} ms)",
             f"{b['zlib_ms']:.1f} ms wall (CPU {b['zlib_cpu_ms']:.1f} ms)")
    if b["name"].startswith("BM_Read"):
        print(f"| read deflated .kvx, 1M triangles | {times[0]} | zlib inflate {times[1]} "
              f"| {b['x_zlib']:.2f} wall, {b['x_zlib_cpu']:.2f} CPU |")
    else:
        # The writer before segments took about 1.25 x zlib level 6's time;
        # it is taken so from this run's zlib figure.
        old_ms = 1.25 * b["zlib_ms"]
        print(f"| write deflated .kvx, 1M triangles | {times[0]}, {b['payload_mb'] * 1e3 / b['ours_ms']:.0f} MB/s of payload "
              f"| zlib level 6 {times[1]} | {b['x_zlib']:.2f} wall, {b['x_zlib_cpu']:.2f} CPU; "
              f"throughput {old_ms / b['ours_ms']:.1f} x the old writer (taken as 1.25 x zlib's wall time), "
              f"file {b['size_x_zlib']:.3f} x zlib's |")
PY

# Row 3: kvx convert of a binary PLY beside Assimp's plain import of it.
# Best wall time of three runs, user+system CPU of that run, peak memory.
measure() {  # prints "wall cpu peak_MiB" of the best of three runs
  local best=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1
    read -r wall user sys peak <"$work/time"
    line=$(python3 -c "print(f'$wall {$user + $sys:.2f} {$peak / 1024:.0f}')")
    if [ -z "$best" ] || python3 -c "import sys; sys.exit(0 if $wall < ${best%% *} else 1)"; then best=$line; fi
  done
  echo "$best"
}
row() {  # label ours-line anchor-label anchor-line
  read -r ow oc om <<<"$2"
  read -r aw ac am <<<"$4"
  echo "| $1 | ${ow} s (CPU ${oc} s), ${om} MiB | $3 ${aw} s (CPU ${ac} s), ${am} MiB |" \
       "$(python3 -c "print(f'{$ow / $aw:.1f} x time, {$om / $am:.2f} x memory')") |"
}
sizes=(1000000)
[ "$big" = 1 ] && sizes+=(4000000)
for triangles in "${sizes[@]}"; do
  label="$((triangles / 1000000))M"
  python3 "$here/make_grid_ply.py" "$work/mesh$label.ply" "$triangles"
  ours=$(measure "$bin/kvx" convert "$work/mesh$label.ply" "$work/mesh$label.kvx")
  if has assimp; then
    row "kvx convert, $label-triangle PLY" "$ours" "assimp info -r" "$(measure assimp info "$work/mesh$label.ply" -r)"
  else
    read -r ow oc om <<<"$ours"
    echo "| kvx convert, $label-triangle PLY | ${ow} s (CPU ${oc} s), ${om} MiB | assimp not installed | — |"
  fi
done

# Row 4: first picture of the biggest scene: read and one frame drawn
# off-screen (kvx render), beside f3d's first image of the same PLY.
label="${label:-1M}"
if has f3d; then
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:97
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  row "first picture, $label triangles (kvx render)" \
    "$(measure "$bin/kvx" render "$work/mesh$label.kvx" -o "$work/kvx.png" --size 800x600)" \
    "f3d first image" "$(measure f3d --output="$work/f3d.png" --resolution=800,600 "$work/mesh$label.ply")"
else
  read -r ow oc om <<<"$(measure "$bin/kvx" render "$work/mesh$label.kvx" -o "$work/kvx.png" --size 800x600)"
  echo "| first picture, $label triangles (kvx render) | ${ow} s (CPU ${oc} s), ${om} MiB | f3d not installed | — |"
fi

# Rows 5 and on: kavrik itself, launched on each scene, to its first frame
# and to the end of its opening transition (bench/kavrik_launch.sh).
if [ -x "$bin/kavrik" ]; then
  launch_options=(--no-header)
  [ "$big" = 0 ] && launch_options+=(--no-4m)
  "$here/kavrik_launch.sh" "$build_dir" "${launch_options[@]}"
else
  echo "| kavrik launch | $bin/kavrik is missing: build it for these rows | — | — |"
fi
