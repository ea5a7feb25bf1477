# Shared start of the benchmark scripts, sourced after build_dir is set:
# checks the programs are built and gives a scratch folder with private
# settings, removed (with any Xvfb the script started) on exit.
# Usage: bench_env SCRIPT_NAME PROGRAM...
bench_env() {
  local name=$1
  shift
  bin="$(realpath "$build_dir/bin")"
  for program in "$@"; do
    [ -x "$bin/$program" ] || { echo "$name: $bin/$program is missing; build it first" >&2; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
  export KAVRIK_REGISTRY_DIR="$work/registry" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
    XDG_CONFIG_HOME="$work/config"
}
