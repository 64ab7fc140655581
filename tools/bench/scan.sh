#!/usr/bin/env bash
# Scan benchmark: the Bus Scan window scans addresses 1..247 at 9600 8N1 of a simulated line of
# twenty modules, all at 9600 8N1, with its default reply wait; the figure is set beside the
# physical floor (every request and reply on the wire back to back, each request followed by the
# 3.5-character silence a module keeps before it may answer) and beside a naive scan with the
# parameter window's fixed waits over the same exchange path, and beside the command line's scan
# (`zntool scan`) of the same line, run after each window run; then the command line's time from
# its start to its first request on the line. Not a test: it prints figures.
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
bench_build zn_scan_bench znsim zntool
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

# Wall time of a command line scan in `work`, and the modules it listed.
cli_scan() {
  (cd "$work" && /usr/bin/python3 - "$build_dir/zntool" <<'PY'
import subprocess, sys, time
start = time.perf_counter()
out = subprocess.run([sys.argv[1], "scan", "--port", "COM1", "--from", "1", "--to", "247"],
                     capture_output=True, text=True, env={"QT_QPA_PLATFORM": "offscreen"})
elapsed = (time.perf_counter() - start) * 1000
print(f"cli_scan_elapsed_ms {elapsed:.0f}\ncli_scan_found {len(out.stdout.splitlines())}"
      f"\ncli_scan_exit {out.returncode}")
PY
  )
}

start_sim "$work/sim.log" --bus "$work/sys/COM1" "${modules[@]}"
for run in $(seq "$runs"); do
  echo "== Bus Scan window, run $run"
  (QT_QPA_PLATFORM=offscreen "$build_dir/zn_scan_bench" scan "$work") 2>"$work/bench.err" ||
    { cat "$work/bench.err" >&2; exit 1; }
  echo "== zntool scan, run $run"
  cli_scan
done
echo "== naive scan with the parameter window's waits (150 ms steps, reply judged at 100 ms)"
(QT_QPA_PLATFORM=offscreen "$build_dir/zn_scan_bench" naive "$work") 2>"$work/bench.err" ||
  { cat "$work/bench.err" >&2; exit 1; }
stop_sim

# Start to first request: the simulator stamps each request as it arrives (local time, ms); the
# command reads register 100 of a module, started ten times.
start_sim "$work/sim.log" --verbose --bus "$work/sys/COM1" --module ZN210,addr=1
echo "== zntool read: start to first request on the line (ms), ten runs"
(cd "$work" && /usr/bin/python3 - "$build_dir/zntool" "$work/sim.log" <<'PY'
import datetime, re, subprocess, sys
tool, log = sys.argv[1], sys.argv[2]
delays = []
for run in range(10):
    seen = open(log, encoding="utf-8").read().count(" <- ")
    start = datetime.datetime.now()
    subprocess.run([tool, "read", "--port", "COM1", "--address", "1", "--register", "100"],
                   capture_output=True, env={"QT_QPA_PLATFORM": "offscreen"})
    stamps = re.findall(r"^(\d\d):(\d\d):(\d\d)\.(\d{3}) \S+ <- ", open(log, encoding="utf-8").read(), re.M)
    h, m, s, ms = map(int, stamps[seen])
    first = start.replace(hour=h, minute=m, second=s, microsecond=ms * 1000)
    delays.append((first - start).total_seconds() * 1000)
delays.sort()
print(f"cli_first_request_ms median {delays[len(delays) // 2]:.0f}  min {delays[0]:.0f}  max {delays[-1]:.0f}")
PY
)
stop_sim
