#!/usr/bin/env bash
# Scan benchmark: the Bus Scan window scans addresses 1..247 at 9600 8N1 of a simulated line of
# twenty modules, all at 9600 8N1, with its default reply wait; the figure is set beside the
# physical floor (every request and reply on the wire back to back, each request followed by the
# 3.5-character silence a module keeps before it may answer) and beside a naive scan with the
# parameter window's fixed waits over the same exchange path. Not a test: it prints figures.
# Usage: tools/bench/scan.sh [--build-dir DIR] [--runs N]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
runs=3
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir="$2"; shift ;;
    --runs) runs="$2"; shift ;;
    *) echo "usage: $0 [--build-dir DIR] [--runs N]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_scan_bench znsim
bench_work
trap 'stop_sim; rm -rf "$work"' EXIT
bench_sys "$work"

# Twenty modules, every model, spread over the address range with both ends taken.
modules=()
models=(ZN210 ZN220 ZN230 ZN240 ZN250 ZN260 ZN270 ZN310 ZN320 ZN330 ZN340 ZN350 ZN410 ZN420 ZN430)
n=0
for address in 1 2 3 7 10 15 21 30 42 55 64 77 90 100 128 150 175 200 231 247; do
  modules+=(--module "${models[$((n % 15))]},addr=$address")
  n=$((n + 1))
done

/usr/bin/python3 - <<'PY'
bit = 1000 / 9600  # ms per bit at 9600 8N1, ten bits a character
request, reply, gap = 8 * 10 * bit, 11 * 10 * bit, 3.5 * 10 * bit
floor = 247 * (request + gap) + 20 * reply
print(f"== physical floor: 247 requests {247 * request:.0f} ms + 20 replies {20 * reply:.0f} ms"
      f" + 247 silences of 3.5 characters {247 * gap:.0f} ms = {floor:.0f} ms")
print(f"== default reply wait at 9600 8N1: {int(-(-(request + reply) // 1)) + 20} ms"
      f" (request and reply on the wire, 20 ms for the module's turn-round and a USB adapter)")
PY

start_sim "$work/sim.log" --bus "$work/sys/COM1" "${modules[@]}"
for run in $(seq "$runs"); do
  echo "== Bus Scan window, run $run"
  (QT_QPA_PLATFORM=offscreen "$build_dir/zn_scan_bench" scan "$work") 2>"$work/bench.err" ||
    { cat "$work/bench.err" >&2; exit 1; }
done
echo "== naive scan with the parameter window's waits (150 ms steps, reply judged at 100 ms)"
(QT_QPA_PLATFORM=offscreen "$build_dir/zn_scan_bench" naive "$work") 2>"$work/bench.err" ||
  { cat "$work/bench.err" >&2; exit 1; }
stop_sim
