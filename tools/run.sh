#!/usr/bin/env bash
# Starts the tool for trying it out: in a run folder with its own copy of the settings, and with
# the module simulator playing a module on each of COM1..COM15 (ZN210 on COM1 ... ZN430 on COM15,
# address 1, 9600 baud, no parity), a line of twenty modules on COM16 and a commissioning bench
# of five on COM17 for the Bus Scan window; COM16's line is also served as raw RTU over TCP on
# 127.0.0.1:5021, ready for network lines. On COM18 another master (mbpoll) polls three modules,
# one of them failing now and then: Listen Only on sys/TAP18 hears that bus. COM19 is a short
# line of four modules for the line overview, whose run/lines.json (from tools/demo-lines.json)
# watches it and COM16. The simulator and that master stop when the tool is closed.
set -euo pipefail

usage() {
  cat <<'TEXT'
Usage: tools/run.sh [--hardware] [--run-dir DIR] [--build-dir DIR] [--verbose]
  --hardware     run the tool alone, for modules on real serial ports
  --run-dir DIR  working folder of the tool (default: run/ in the repository)
  --build-dir D  build folder (default: build/ in the repository)
  --verbose      the simulator logs every request and reply to DIR/znsim.log
TEXT
}

repo="$(cd "$(dirname "$0")/.." && pwd)"
run_dir="$repo/run"
build_dir="$repo/build"
hardware=0
sim_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --hardware) hardware=1 ;;
    --run-dir)
      [ $# -ge 2 ] || { usage >&2; exit 2; }
      run_dir="$2"
      shift ;;
    --build-dir)
      [ $# -ge 2 ] || { usage >&2; exit 2; }
      build_dir="$2"
      shift ;;
    --verbose) sim_options+=(--verbose) ;;
    -h|--help) usage; exit 0 ;;
    *) echo "run.sh: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

"$repo/tools/install-deps.sh"

# The shipped defaults, copied only where missing, so the user's settings survive.
mkdir -p "$run_dir/sys"
for file in "$repo"/sys/*; do
  target="$run_dir/sys/$(basename "$file")"
  [ -e "$target" ] || cp "$file" "$target"
done
# Port links left by a simulator that was killed would shadow the real ports.
for link in "$run_dir"/sys/COM*; do
  if [ -L "$link" ] && [[ "$(readlink "$link")" == /dev/pts/* ]]; then rm -f "$link"; fi
done

mkdir -p "$run_dir"
run_dir="$(cd "$run_dir" && pwd)"
build_dir="$(mkdir -p "$build_dir" && cd "$build_dir" && pwd)"
if [ ! -f "$build_dir/Makefile" ]; then cmake -S "$repo" -B "$build_dir" >/dev/null; fi
make -C "$build_dir" -j"$(nproc)" --no-print-directory zntool znsim >/dev/null

if [ "$hardware" -eq 0 ]; then
  # The demo's line overview file names simulated ports, so it is no default for real ones.
  [ -e "$run_dir/lines.json" ] || cp "$repo/tools/demo-lines.json" "$run_dir/lines.json"
  log="$run_dir/znsim.log"
  # It goes with this script even when the script is killed and its trap never runs.
  "$build_dir/znsim" --die-with-parent "${sim_options[@]}" \
    --demo "$run_dir/sys" --many "$run_dir/sys/COM16" \
    --tcp 5021 --pause 8000 --bench "$run_dir/sys/COM17" --module ZN210 --module ZN220,writes=refuse \
    --module ZN230,take=1000 --module ZN260 --module ZN310 \
    --bus "$run_dir/sys/COM18" --tap "$run_dir/sys/TAP18" --module ZN210,addr=1 \
    --module ZN330,addr=2 --module ZN220,addr=3,fault=badcrc:prob=0.2,fault=silence:prob=0.1 \
    --bus "$run_dir/sys/COM19" --module ZN210,addr=1 --module ZN220,addr=2 \
    --module ZN330,addr=3 --module ZN240,addr=4 \
    >"$log" 2>&1 &
  sim_pid=$!
  master_pid=""
  trap '[ -z "$master_pid" ] || kill -TERM "$master_pid" 2>/dev/null || true
        kill -TERM "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
  # Up to 30 s: a loaded machine may take a while to start it; the wait ends once it is ready.
  for _ in $(seq 300); do
    grep -q "znsim: ready" "$log" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
  done
  grep -q "znsim: ready" "$log" || { echo "run.sh: the simulator did not start" >&2; exit 1; }
  # The other master of COM18: registers 100..102 of modules 1, 2 and 3, one after another.
  if command -v mbpoll >/dev/null; then
    (while :; do
       for address in 1 2 3; do
         mbpoll -m rtu -b 9600 -P none -a "$address" -r 100 -c 3 -0 -1 -o 0.5 "$run_dir/sys/COM18" \
           >/dev/null 2>&1 || true
         sleep 0.3
       done
     done) &
    master_pid=$!
  fi
fi

cd "$run_dir"
"$build_dir/zntool"
