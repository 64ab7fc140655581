#!/usr/bin/env bash
# Exchange benchmark: real work windows poll the simulator at 9600 baud with tm.rc poll 100 ms
# and reply wait 100 ms, each under a real X server (Xvfb, platform xcb) and offscreen: ZN210,
# ZN410 with its two loops in turn, SysFrm reading the 32-register count group, ZN330 with its
# sixteen inputs. mbpoll polls the same simulator in the same run for comparison, and a bare
# window shows what the cycle's two screen changes cost by themselves; then the start-up time of
# the main window. Not a test: it prints figures.
# Usage: tools/bench/run.sh [--cycles N] [--build-dir DIR]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
cycles=300
while [ $# -gt 0 ]; do
  case "$1" in
    --cycles) cycles="$2"; shift ;;
    --build-dir) build_dir="$2"; shift ;;
    *) echo "usage: $0 [--cycles N] [--build-dir DIR]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_bench znsim zntool
bench_work
trap 'stop_sim; [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null; rm -rf "$work"' EXIT
bench_sys "$work"

sim_on_com1() {  # log file, model
  start_sim "$1" --verbose --bus "$work/sys/COM1" --module "$2"
}

# Cycle statistics from the simulator's request time stamps (what the line sees).
line_stats() {  # log file, cycles
  /usr/bin/python3 - "$1" "$2" <<'PY'
import re, statistics, sys
times = []
for line in open(sys.argv[1], encoding="utf-8"):
    m = re.match(r"(\d\d):(\d\d):(\d\d)\.(\d{3}) \S+ <- ", line)
    if m:
        h, mi, s, ms = map(int, m.groups())
        times.append(h * 3600 + mi * 60 + s + ms / 1000)
n = int(sys.argv[2])
times = times[: n + 1]
d = sorted((b - a) * 1000 for a, b in zip(times, times[1:]))
print(f"line_requests {len(times)}")
print(f"line_cycle_mean_ms {(times[-1] - times[0]) * 1000 / (len(times) - 1):.2f}")
print(f"line_cycle_p50_ms {d[len(d) // 2]:.1f}  p99 {d[len(d) * 99 // 100]:.1f}  max {d[-1]:.1f}")
PY
}

wire_ms=$(/usr/bin/python3 -c "print(f'{(8 + 13) * 10 * 1000 / 9600:.2f}')")
echo "== configured: poll 100 ms + reply wait 100 ms = 200 ms; wire time 8 + 13 bytes at 9600 8N1 = $wire_ms ms"

source "$repo/tests/support/xtest.sh"
start_xvfb "$work" 1600x1000x24
xvfb_display=$DISPLAY
unset DISPLAY

# Window, the simulated module it talks to, and how it polls (see zn_bench's usage).
windows=("ZN210 ZN210" "ZN410 ZN410 AB" "SysFrm ZN330 Count 32Bit" "ZN330 ZN330")
for entry in "${windows[@]}"; do
  read -r window module how <<<"$entry"
  for platform in xcb offscreen; do
    echo "== zntool's $window window ($platform${how:+, $how}), $cycles cycles"
    sim_on_com1 "$work/sim-tool.log" "$module"
    DISPLAY=$xvfb_display QT_QPA_PLATFORM=$platform \
      "$build_dir/zn_bench" poll "$work" "$cycles" "$window" ${how:+"$how"} \
      2>"$work/bench.err" | grep -v "^  painted" || { cat "$work/bench.err" >&2; exit 1; }
    stop_sim
  done
done
line_stats "$work/sim-tool.log" "$cycles"

echo "== floor: a bare window changing at the same two moments per cycle, $cycles cycles"
for platform in xcb offscreen; do
  DISPLAY=$xvfb_display QT_QPA_PLATFORM=$platform "$build_dir/zn_bench" floor "$cycles" 2>/dev/null |
    sed "s/^/$platform /"
done

echo "== mbpoll -l 200 (poll rate 200 ms), same simulator, $cycles cycles"
if command -v mbpoll >/dev/null; then
  sim_on_com1 "$work/sim-mbpoll.log" ZN210
  mbpoll -m rtu -b 9600 -P none -a 1 -r 0 -c 4 -0 -l 200 -o 0.1 "$work/sys/COM1" >/dev/null 2>&1 &
  mb=$!
  started=$(date +%s%N)
  while [ "$(grep -c ' <- ' "$work/sim-mbpoll.log")" -le "$cycles" ]; do sleep 0.2; done
  ended=$(date +%s%N)
  read -r -a stat <"/proc/$mb/stat"
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$mb/status")
  kill -INT "$mb"; wait "$mb" 2>/dev/null || true
  stop_sim
  ticks=$(getconf CLK_TCK)
  /usr/bin/python3 -c "
cpu_ms = ($((stat[13] + stat[14]))) * 1000 / $ticks
wall_ms = ($ended - $started) / 1e6
print(f'cpu_ms_per_cycle {cpu_ms / $cycles:.3f} (whole run, {$ticks} ticks/s)')
print(f'cpu_percent {100 * cpu_ms / wall_ms:.2f}')
print(f'peak_rss_mb {$hwm / 1024:.1f}')"
  line_stats "$work/sim-mbpoll.log" "$cycles"
else
  echo "mbpoll is not installed"
fi

echo "== start-up to main window shown (5 runs each)"
for _ in 1 2 3 4 5; do
  (cd "$work" && QT_QPA_PLATFORM=offscreen "$build_dir/zn_bench" startup "$(date +%s%N)" 2>/dev/null) |
    head -1 | sed 's/^/offscreen /'
done
if command -v xwininfo >/dev/null; then
  cat >"$work/startup.sh" <<'SH'
cd "$1"
for _ in 1 2 3 4 5; do
  (cd "$1" && QT_QPA_PLATFORM=xcb "$2/zn_bench" startup "$(date +%s%N)") | head -1 | sed 's/^/xvfb bench /'
  t0=$(date +%s%N)
  "$2/zntool" >/dev/null 2>&1 &
  tool=$!
  until xwininfo -root -tree | grep -q "ORMELIX"; do sleep 0.005; done
  t1=$(date +%s%N)
  echo "xvfb zntool mapped_ms $(( (t1 - t0) / 1000000 ))"
  kill "$tool"; wait "$tool" 2>/dev/null || true
done
SH
  DISPLAY=$xvfb_display bash "$work/startup.sh" "$work" "$build_dir" 2>/dev/null
fi
