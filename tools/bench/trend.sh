#!/usr/bin/env bash
# Trend benchmark, eight channels (ZN220 against the simulator, its eighth sensor "No Sensor"),
# poll 100 ms and reply wait 100 ms. Not a test: it prints figures.
#  1. live: the real window polls the simulator for N cycles, without chart and recording and
#     with the chart shown and a recording going (two runs side by side); the ring holds an hour
#     of readings from the start, so the chart draws a full ring.
#  2. hour: one hour of simulated time (18,000 cycles) as fast as it runs: the simulator's
#     measurements decoded by the window's panel from the reply text, the feed's clock stepped
#     200 ms per cycle, the chart redrawn and painted once per simulated second while recording.
# With --shots DIR it also takes pictures against the simulator in Xvfb, in English and in
# Chinese, after S seconds of polling (default 150): a ZN410 trend zoomed to its last 2.5 minutes
# and a ZN330 trend of sixteen inputs in lanes in the default view.
# Usage: tools/bench/trend.sh [--cycles N] [--build-dir DIR] [--shots DIR [--seconds S]]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
cycles=300
shots=""
seconds=150
while [ $# -gt 0 ]; do
  case "$1" in
    --cycles) cycles="$2"; shift ;;
    --build-dir) build_dir="$2"; shift ;;
    --shots) shots="$2"; shift ;;
    --seconds) seconds="$2"; shift ;;
    *) echo "usage: $0 [--cycles N] [--build-dir DIR] [--shots DIR [--seconds S]]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_trend_bench znsim
bench_work
pids=()
trap 'for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT

# A folder with its own simulator playing `model` on its sys/COM1.
prepare() {  # folder model
  bench_sys "$1"
  "$build_dir/znsim" --bus "$1/sys/COM1" --module "$2" >"$1/sim.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 300); do grep -q "znsim: ready" "$1/sim.log" && return 0; sleep 0.1; done
  echo "simulator did not start" >&2; exit 1
}

figures() {  # output files...: the lines "name number"
  grep -v -e "This plugin" -e "QStandardPaths" "$@"
}

echo "== live: $cycles cycles each, the two runs side by side"
runs=()
for variant in plain chart; do
  prepare "$work/live-$variant" ZN220
  record=""
  [ $variant = plain ] || record="$work/live.csv"
  QT_QPA_PLATFORM=offscreen "$build_dir/zn_trend_bench" "$work/live-$variant" live $variant \
    "$cycles" $record >"$work/live-$variant.out" 2>&1 &
  runs+=($!)
done
for i in 0 1; do wait "${runs[$i]}" || { cat "$work"/live-*.out >&2; exit 1; }; done
figures "$work/live-plain.out"; echo; figures "$work/live-chart.out"
echo "recorded_lines $(wc -l <"$work/live.csv")"
echo

echo "== hour: 18000 cycles of simulated time, one run after the other"
for variant in plain chart; do
  bench_sys "$work/hour-$variant"
  record=""
  [ $variant = plain ] || record="$work/hour.csv"
  QT_QPA_PLATFORM=offscreen "$build_dir/zn_trend_bench" "$work/hour-$variant" hour $variant \
    $record >"$work/hour-$variant.out" 2>&1 || { cat "$work/hour-$variant.out" >&2; exit 1; }
  figures "$work/hour-$variant.out"; echo
done
echo "recorded_lines $(wc -l <"$work/hour.csv")"
/usr/bin/python3 - "$work" <<'PY'
import sys, os
def read(name):
    out = {}
    for line in open(os.path.join(sys.argv[1], name)):
        parts = line.split()
        if len(parts) == 2:
            try: out[parts[0]] = float(parts[1])
            except ValueError: pass
    return out
for kind in ("live", "hour"):
    plain, chart = read(kind + "-plain.out"), read(kind + "-chart.out")
    print(f"{kind}_cpu_ms_per_cycle_added_by_chart_and_recording "
          f"{chart['cpu_ms_per_cycle'] - plain['cpu_ms_per_cycle']:.3f}")
hour, plain = read("hour-chart.out"), read("hour-plain.out")
print(f"hour_peak_rss_growth_with_chart_and_recording_mb "
      f"{hour['peak_rss_end_mb'] - hour['rss_start_mb']:.2f} (the chart open from the start)")
print(f"hour_peak_rss_growth_including_opening_the_chart_mb "
      f"{hour['peak_rss_end_mb'] - plain['rss_start_mb']:.2f}")
PY

[ -n "$shots" ] || exit 0
echo
echo "== pictures of ZN410 and ZN330 trends after $seconds s of polling, in $shots"
source "$repo/tests/support/xtest.sh"
mkdir -p "$shots"
shots="$(cd "$shots" && pwd)"
start_xvfb "$work" 1600x1000x24
pids+=("$XVFB_PID")
for model in ZN410:2.5 ZN330:0; do
  minutes=${model#*:} model=${model%:*} name=$(echo "$model" | tr A-Z a-z)
  for language in en zh; do
    prepare "$work/shot-$name-$language" "$model"
    [ $language = zh ] || printf '0\r\n0\r\n1\r\n' >"$work/shot-$name-$language/sys/set2.rc"
    "$build_dir/zn_trend_bench" "$work/shot-$name-$language" shot "$model" "$seconds" "$minutes" \
      "$shots/$name-$language" >"$work/shot-$name-$language.out" 2>&1 &
    shot=$!
    # The whole screen while the program still shows its windows.
    wait_until $((seconds + 120)) grep -qs "$name-$language" "$work/shot-$name-$language.out" ||
      { cat "$work/shot-$name-$language.out" >&2; exit 1; }
    sleep 1
    import -window root "$shots/$name-$language-screen.png"
    wait "$shot"
  done
done
ls -1 "$shots"/zn*.png
