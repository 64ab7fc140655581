#!/usr/bin/env bash
# Soak benchmark: a real work window (ZN210 unless --model says otherwise) polls the simulator
# for 10,000 cycles while the simulator makes every fault it knows, spread over the run. The
# window's handlers are called directly and each reply is awaited on the line, so the run takes
# minutes. Prints memory after 100 cycles and at the end, open descriptors at start and end,
# replies accepted and rejected per fault, the messages the window raised, and the run time.
# Not a test: it prints figures.
# Usage: tools/bench/soak.sh [--model ZN210] [--loop A] [--cycles 10000] [--faults "F ..."]
#                            [--build-dir DIR]
#   --faults  znsim fault rules (see znsim --help), tried in order for each reply
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
model=ZN210
loop=A
cycles=10000
faults="short:every=31 lead:every=37 garbage:every=41 badcrc:every=43 exception:every=47"
faults="$faults silence:every=53 late:every=59"
while [ $# -gt 0 ]; do
  case "$1" in
    --model) model="$2"; shift ;;
    --loop) loop="$2"; shift ;;
    --cycles) cycles="$2"; shift ;;
    --faults) faults="$2"; shift ;;
    --build-dir) build_dir="$2"; shift ;;
    *) echo "usage: $0 [--model M] [--loop A|B] [--cycles N] [--faults \"F ...\"] [--build-dir DIR]" >&2
       exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_soak znsim
bench_work
trap 'stop_sim; rm -rf "$work"' EXIT
bench_sys "$work"

spec="$model,addr=1,baud=9600,parity=N"
for fault in $faults; do spec="$spec,fault=$fault"; done
start_sim "$work/sim.log" --verbose --bus "$work/sys/COM1" --module "$spec"

echo "== soak: $model window, loop $loop, $cycles cycles at 9600 baud; faults: $faults"
started=$(date +%s%N)
QT_QPA_PLATFORM=offscreen "$build_dir/zn_soak" "$work" "$cycles" "$work/sim.log" "$model" "$loop" \
  2>"$work/soak.err" || { cat "$work/soak.err" >&2; exit 1; }
ended=$(date +%s%N)
echo "simulator rss_mb $(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$sim_pid/status")" \
  "open_fds $(ls "/proc/$sim_pid/fd" | wc -l)"
stop_sim
echo "wall_s $(( (ended - started) / 1000000000 )) (start-up and shut-down included)"
