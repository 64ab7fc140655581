#!/usr/bin/env bash
# Traffic monitor benchmark: the real ZN210 window polls the simulator at 9600 baud, poll 100 ms
# and reply wait 100 ms, with the monitor closed, with it made and recording but hidden, and with
# it shown and recording (three runs side by side); the log's ring is full from the start, so
# memory is measured at its ceiling. Then the time to paint a page of the 10,000-row table while
# scrolling. Not a test: it prints figures.
# Usage: tools/bench/traffic.sh [--cycles N] [--build-dir DIR]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
cycles=1000
while [ $# -gt 0 ]; do
  case "$1" in
    --cycles) cycles="$2"; shift ;;
    --build-dir) build_dir="$2"; shift ;;
    *) echo "usage: $0 [--cycles N] [--build-dir DIR]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_traffic_bench znsim
bench_work
pids=()
trap 'for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT

# One folder and one simulator per run, so both runs go at once without sharing a line.
prepare() {  # folder
  bench_sys "$1"
  "$build_dir/znsim" --bus "$1/sys/COM1" --module ZN210 >"$1/sim.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do grep -q "znsim: ready" "$1/sim.log" && return 0; sleep 0.1; done
  echo "simulator did not start" >&2; exit 1
}

echo "== $cycles cycles each, the three runs side by side"
runs=()
for mode in closed hidden open; do
  prepare "$work/$mode"
  record=""
  [ $mode = closed ] || record="$work/$mode.csv"
  QT_QPA_PLATFORM=offscreen "$build_dir/zn_traffic_bench" "$work/$mode" $mode "$cycles" \
    $record >"$work/$mode.out" 2>&1 &
  runs+=($!)
done
for i in 0 1 2; do wait "${runs[$i]}" || { cat "$work"/*.out >&2; exit 1; }; done
for mode in closed hidden open; do
  grep -v "This plugin" "$work/$mode.out"
  [ $mode = closed ] || echo "recorded_lines $(wc -l <"$work/$mode.csv")"
  echo
done
/usr/bin/python3 - "$work/closed.out" "$work/hidden.out" "$work/open.out" <<'PY'
import sys
def figures(path):
    out = {}
    for line in open(path):
        parts = line.split()
        if len(parts) == 2:
            try: out[parts[0]] = float(parts[1])
            except ValueError: pass
    return out
closed, hidden, opened = (figures(p) for p in sys.argv[1:4])
for name, run in (("hidden+recording", hidden), ("open+recording", opened)):
    print(f"cpu_ms_per_cycle_added_{name} {run['cpu_ms_per_cycle'] - closed['cpu_ms_per_cycle']:.3f}")
    print(f"rss_growth_{name}_mb {run['rss_last_cycle_mb'] - run['rss_first_cycle_mb']:.2f} (ring full throughout)")
    print(f"rss_growth_second_half_{name}_mb {run['rss_last_cycle_mb'] - run['rss_half_way_mb']:.2f}")
PY
