#!/usr/bin/env bash
# Launch to settled view: starts build/bin/kavrik FILE under a private X
# server and settings, and reads from its debug log when the scene was read,
# when its first frame was shown and when the opening transition ended, each
# measured from the exec. Scenes: generated wavy grids of 1M and 4M triangles,
# as .kvx (kvx convert) and as the PLY itself. Best of three of each moment,
# beside f3d's first image of the same PLY where f3d is installed.
# Builds nothing: build kavrik and kvx first.
# Usage: bench/kavrik_launch.sh [BUILD_DIR] [--no-4m] [--no-header]
set -euo pipefail
build_dir=${1:-build}
big=1 header=1
for option in "${@:2}"; do
  case $option in
    --no-4m) big=0 ;;
    --no-header) header=0 ;;
    *) echo "kavrik_launch: unknown option $option" >&2; exit 2 ;;
  esac
done
here="$(dirname "$(realpath "$0")")"
. "$here/bench_env.sh"
bench_env kavrik_launch kavrik kvx

# A private X server, on the first free display from 90.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    break
  done
fi

sizes=(1000000)
[ "$big" = 1 ] && sizes+=(4000000)
scenes=()
for triangles in "${sizes[@]}"; do
  label="$((triangles / 1000000))M"
  python3 "$here/make_grid_ply.py" "$work/mesh$label.ply" "$triangles"
  "$bin/kvx" convert "$work/mesh$label.ply" "$work/mesh$label.kvx" >/dev/null
  scenes+=("$label" "$work/mesh$label.kvx" "$work/mesh$label.ply")
done
has_f3d=0
command -v f3d >/dev/null && has_f3d=1

python3 - "$bin/kavrik" "$work" "$has_f3d" "$header" "${scenes[@]}" <<'PY'
import os, re, signal, subprocess, sys, time

kavrik, work, has_f3d, header, scenes = sys.argv[1], sys.argv[2], sys.argv[3] == "1", sys.argv[4] == "1", sys.argv[5:]
RUNS, TIMEOUT = 3, 300
moments = {"read": "scene read of", "first": "first frame of", "settled": "view settled of"}

def launch(scene):
    """Seconds from the exec to each moment the viewer logs, one run."""
    log = os.path.join(work, "kavrik.err")
    env = dict(os.environ, KAVRIK_LOG_LEVEL="4")
    with open(log, "w") as err:
        start = time.time()
        viewer = subprocess.Popen([kavrik, scene], cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=err)
    found = {}
    try:
        while len(found) < len(moments) and time.time() - start < TIMEOUT and viewer.poll() is None:
            time.sleep(0.02)
            text = open(log, errors="replace").read()
            for key, words in moments.items():
                m = re.search(re.escape(words) + r" .* at (\d+\.\d+)$", text, re.M)
                if m: found[key] = float(m.group(1)) - start
    finally:
        viewer.send_signal(signal.SIGKILL)
        viewer.wait()
    if len(found) < len(moments):
        sys.exit(f"kavrik_launch: {os.path.basename(scene)}: the viewer logged {sorted(found)} only; see its log:\n"
                 + open(log, errors="replace").read()[-2000:])
    return found

def f3d_first_image(ply):
    start = time.time()
    subprocess.run(["f3d", f"--output={work}/f3d.png", "--resolution=800,600", ply],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.time() - start

if header:
    print("| Work | Ours | Anchor | Ours / anchor |")
    print("|---|---|---|---|")
for i in range(0, len(scenes), 3):
    label, kvx, ply = scenes[i:i + 3]
    anchor = min(f3d_first_image(ply) for _ in range(RUNS)) if has_f3d else None
    for scene in (kvx, ply):
        runs = [launch(scene) for _ in range(RUNS)]
        best = {key: min(r[key] for r in runs) for key in moments}
        ours = (f"first frame {best['first']:.2f} s, settled {best['settled']:.2f} s "
                f"(read by {best['read']:.2f} s)")
        kind = os.path.splitext(scene)[1]
        if anchor is None:
            print(f"| kavrik launch, {label} triangles, {kind} | {ours} | f3d not installed | — |")
        else:
            print(f"| kavrik launch, {label} triangles, {kind} | {ours} | f3d first image {anchor:.2f} s "
                  f"| {best['first'] / anchor:.2f} x (first frame) |")
PY
