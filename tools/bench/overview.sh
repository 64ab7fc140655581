#!/usr/bin/env bash
# Overview benchmark: `zntool watch --format json` polls simulated lines at 9600 8N1 with reply
# waits of 100 ms.
#  1. Sweep: twenty modules with inputs on one line, addresses 1..20; the time between two polls
#     of a module beside the wire floor (each request and reply on the wire, the simulator's
#     turn-round, the 3.5-character silence before each request) and beside a bare master, a
#     few lines of Python that send the same requests and read exactly the bytes of each reply,
#     on the same bus in the same run.
#  2. Dead modules: one watch polls two lines of those twenty, one whose file also lists three
#     modules that are not there (23 in the file, 20 live); a live module's refresh interval
#     there beside the one on the line without dead modules, after the first 10 s.
#  3. Many lines: eight lines of thirty modules polled at once for OVERVIEW_SECONDS (600); the
#     CPU per core and the memory, sampled every 10 s, and the sweeps beside their wire floor;
#     by the watch, then by the Line Overview window shown in Xvfb (zn_overview_bench --lines).
#  4. Rows: the window in Xvfb with one line of 247 modules fed reports at full rate without a
#     bus; each redraw's time beside the same view redrawn unchanged and a plain QTableWidget,
#     and the main thread's CPU share (zn_overview_bench --rows, ROWS_SECONDS of each, 20).
#  5. Publishing: the eight lines of thirty modules watched for PUBLISH_SECONDS (120) without a
#     broker, then publishing to a local mosquitto; the CPU that publishing adds as a ratio, and
#     from a poll's end (its reply's arrival) to its state's delivery at mosquitto_sub.
# Not a test: it prints figures.
# Usage: tools/bench/overview.sh [--build-dir DIR] [--sweep-seconds N] [--dead-seconds N]
#                                [--publishing-only]
#   OVERVIEW_SECONDS=60 for a quick run of the many lines.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
sweep_seconds=40
dead_seconds=80
many_seconds="${OVERVIEW_SECONDS:-600}"
rows_seconds="${ROWS_SECONDS:-20}"
publish_seconds="${PUBLISH_SECONDS:-120}"
publishing_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir="$2"; shift ;;
    --sweep-seconds) sweep_seconds="$2"; shift ;;
    --dead-seconds) dead_seconds="$2"; shift ;;
    --publishing-only) publishing_only=1 ;;
    *) echo "usage: $0 [--build-dir DIR] [--sweep-seconds N] [--dead-seconds N]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build znsim zntool zn_overview_bench
bench_work
source "$repo/tests/support/xtest.sh"
XVFB_PID=""
trap 'stop_sim; stop_process "$XVFB_PID"; rm -rf "$work"' EXIT
bench_sys "$work"
# The window runs in a real X server, wide enough for the rows' plain table beside it; the
# process measured is the program itself, not a wrapper.
start_xvfb "$work" 2700x1000x24
xvfb_display=$DISPLAY
unset DISPLAY
export QT_QPA_PLATFORM=offscreen
in_xvfb=(env DISPLAY="$xvfb_display" QT_QPA_PLATFORM=xcb)

# Models with inputs only, so every poll after the model check reads something; ZN410, ZN420 and
# ZN430 make two requests a poll (measurements, then inputs).
models=(ZN210 ZN220 ZN260 ZN270 ZN310 ZN330 ZN350 ZN410 ZN420 ZN430)
modules_of() {  # count: ADDRESS:MODEL words, addresses 1..count
  local n
  for n in $(seq "$1"); do printf '%s:%s ' "$n" "${models[$(((n - 1) % ${#models[@]}))]}"; done
}
sim_specs() {  # ADDRESS:MODEL words -> --module options
  local m
  for m in "$@"; do printf -- '--module %s,addr=%s ' "${m#*:}" "${m%%:*}"; done
}

cat >"$work/overview.py" <<'PY'
import datetime, json, os, re, select, statistics, sys, termios, time, tty

CHAR_MS = 10 * 1000 / 9600          # 8N1: ten bits a character
SILENCE_MS = 3.5 * CHAR_MS
TURNAROUND_MS = 2.0                 # the simulator's, SimBus::kTurnaroundMs
ANALOG = {"ZN210": 4, "ZN220": 8, "ZN260": 8, "ZN270": 8, "ZN410": 6, "ZN420": 6, "ZN430": 4}
INPUTS = {"ZN310": 8, "ZN330": 16, "ZN350": 8, "ZN410": 4, "ZN420": 4, "ZN430": 4}

def requests(model):
    """(function, count, reply bytes) of one poll, as PollPlan makes them."""
    out = []
    if model in ANALOG: out.append((3, ANALOG[model], 5 + 2 * ANALOG[model]))
    if model in INPUTS: out.append((2, INPUTS[model], 5 + (INPUTS[model] + 7) // 8))
    return out

def floor_ms(model):
    return sum(8 * CHAR_MS + TURNAROUND_MS + reply * CHAR_MS + SILENCE_MS
               for _, _, reply in requests(model))

def pairs(words):
    return [(int(w.split(":")[0]), w.split(":")[1]) for w in words]

def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes([crc & 0xFF, crc >> 8])

def stamp(text):
    return datetime.datetime.fromisoformat(text).timestamp()

def rows(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("{"):
                yield json.loads(line)

def pct(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p / 100))]

def cmd_linefile(out, wait, *lines):
    """LINE is NAME|PORT|ADDRESS:MODEL,..."""
    doc = {"format": "zn-line", "version": 1, "lines": []}
    for spec in lines:
        name, port, mods = spec.split("|")
        doc["lines"].append({"name": name, "port": port, "baud": 9600, "parity": "N",
                             "waitMs": int(wait),
                             "modules": [{"address": a, "model": m, "tag": f"{name}-{a}"}
                                         for a, m in pairs(mods.split(","))]})
    json.dump(doc, open(out, "w"), indent=1)

def cmd_floor(*words):
    """The wire floor of a sweep (ms) and the requests it makes."""
    mods = pairs(words)
    print(f"{sum(floor_ms(m) for _, m in mods):.1f} {sum(len(requests(m)) for _, m in mods)}")

def intervals(path, line, skip_s):
    """Times between consecutive polls with readings of each module of `line`, after skip_s."""
    times = {}
    for r in rows(path):
        if r["line"] == line and r["channels"] and r["status"] in ("ok", "late"):
            times.setdefault(r["address"], []).append(stamp(r["time"]))
    if not times: return []
    start = min(t[0] for t in times.values()) + skip_s
    return [(b - a) * 1000 for t in times.values() for a, b in zip(t, t[1:]) if a >= start]

def cmd_sweep(path, line, skip_s):
    d = intervals(path, line, float(skip_s))
    print(f"{statistics.median(d):.1f} {pct(d, 95):.1f} {max(d):.1f} {len(d)}")

def cmd_statuses(path, line):
    seen = {}
    for r in rows(path):
        if r["line"] == line: seen[r["status"]] = seen.get(r["status"], 0) + 1
    print(" ".join(f"{k}={v}" for k, v in sorted(seen.items())))

def cmd_bare(port, sweeps, *words):
    """A bare master: the same requests, each reply read to its last byte, then the silence."""
    fd = os.open(port, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    attrs = termios.tcgetattr(fd)
    attrs[4] = attrs[5] = termios.B9600
    attrs[2] = (attrs[2] & ~(termios.PARENB | termios.CSTOPB | termios.CSIZE)) | termios.CS8
    termios.tcsetattr(fd, termios.TCSANOW, attrs)
    termios.tcflush(fd, termios.TCIOFLUSH)
    mods = pairs(words)
    done = {a: [] for a, _ in mods}
    last = time.perf_counter()
    failed = 0
    for _ in range(int(sweeps)):
        for address, model in mods:
            for function, count, reply in requests(model):
                frame = bytes([address, function, 0, 0, 0, count])
                left = last + SILENCE_MS / 1000 - time.perf_counter()
                if left > 0: time.sleep(left)
                os.write(fd, frame + crc16(frame))
                got = b""
                while len(got) < reply:
                    if not select.select([fd], [], [], 0.1)[0]: break
                    got += os.read(fd, 256)
                failed += len(got) < reply
                last = time.perf_counter()
            done[address].append(last)
    os.close(fd)
    d = [(b - a) * 1000 for t in done.values() for a, b in zip(t[2:], t[3:])]
    print(f"{statistics.median(d):.1f} {pct(d, 95):.1f} {max(d):.1f} {len(d)} {failed}")

def cmd_simgaps(log):
    """From the simulator's stamps: request to reply, and reply to the next request (ms)."""
    events = []
    for line in open(log, encoding="utf-8"):
        m = re.match(r"(\d\d):(\d\d):(\d\d\.\d{3}) \S+ (<-|->) ", line)
        if m: events.append((int(m[1]) * 3600 + int(m[2]) * 60 + float(m[3]), m[4]))
    answer = [(b[0] - a[0]) * 1000 for a, b in zip(events, events[1:]) if a[1] == "<-" and b[1] == "->"]
    idle = [(b[0] - a[0]) * 1000 for a, b in zip(events, events[1:]) if a[1] == "->" and b[1] == "<-"]
    print(f"{statistics.median(answer):.1f} {statistics.median(idle):.1f} {len(idle)}")

def cmd_delivery(path):
    """mosquitto_sub's '%U %t %p' lines: a state's arrival beside the poll's end it carries."""
    delays = []
    for line in open(path, encoding="utf-8"):
        stamp, topic, payload = line.rstrip("\n").split(" ", 2)
        if not topic.endswith("/state"): continue
        polled = datetime.datetime.fromisoformat(json.loads(payload)["time"]).timestamp()
        delays.append((float(stamp) - polled) * 1000)
    print(f"{statistics.median(delays):.1f} {pct(delays, 99):.1f} {max(delays):.1f} {len(delays)}")

def cmd_polls(path, seconds):
    count = {}
    for r in rows(path):
        if r["channels"]: count[r["line"]] = count.get(r["line"], 0) + 1
    print(" ".join(f"{v / float(seconds):.1f}" for _, v in sorted(count.items())))

globals()["cmd_" + sys.argv[1]](*sys.argv[2:])
PY
py() { /usr/bin/python3 "$work/overview.py" "$@"; }
run_watch() {  # seconds, line file, output: zntool watch in `work`, where COMn is sys/COMn
  (cd "$work" && "$build_dir/zntool" watch --line "$2" --seconds "$1" --format json --lang en \
    >"$3" 2>"$3.err") || { cat "$3.err" >&2; exit 1; }
}

read -r -a twenty <<<"$(modules_of 20)"
if [ "$publishing_only" -eq 0 ]; then
# 1. Sweep time of twenty modules on one line.
# shellcheck disable=SC2046
start_sim "$work/sim.log" --verbose --bus "$work/sys/COM1" $(sim_specs "${twenty[@]}")
py linefile "$work/sweep.json" 100 "Sweep|COM1|$(IFS=,; echo "${twenty[*]}")"
echo "== 1. sweep: 20 modules (${models[*]}, twice) at 9600 8N1, waitMs 100, $sweep_seconds s"
read -r floor requests <<<"$(py floor "${twenty[@]}")"
run_watch "$sweep_seconds" sweep.json "$work/sweep.jsonl"
read -r sweep p95 worst n <<<"$(py sweep "$work/sweep.jsonl" Sweep 2)"
read -r answer idle exchanges <<<"$(py simgaps "$work/sim.log")"
: >"$work/sim.log"
read -r bare bare95 bareworst baren barefailed <<<"$(py bare "$work/sys/COM1" 40 "${twenty[@]}")"
stop_sim
echo "statuses: $(py statuses "$work/sweep.jsonl" Sweep)"
echo "zntool watch: median $sweep ms, p95 $p95, max $worst ($n sweeps of a module after the first 2 s)"
echo "bare master:  median $bare ms, p95 $bare95, max $bareworst ($baren, $barefailed short replies)"
echo "simulator: request to reply $answer ms, reply to next request $idle ms (medians of $exchanges;" \
  "the floor keeps $(/usr/bin/python3 -c "print(f'{3.5 * 10000 / 9600:.1f}')") ms)"
/usr/bin/python3 -c "print(f'sweep $sweep ms, floor $floor ms, ratio {$sweep / $floor:.2f} (goal <= 1.15);'
                           f' bare master $bare ms, ratio {$bare / $floor:.2f}; beyond the floor'
                           f' {($sweep - $floor) / $requests:.1f} ms a request ($requests a sweep)')"

# 2. Three dead modules on a line, beside the same line without them, in one watch.
dead_line="$(IFS=,; echo "${twenty[*]:0:7}"),21:ZN210,$(IFS=,; echo "${twenty[*]:7:7}"),22:ZN260"
dead_line="$dead_line,$(IFS=,; echo "${twenty[*]:14}"),23:ZN410"
# shellcheck disable=SC2046
start_sim "$work/sim.log" --bus "$work/sys/COM2" $(sim_specs "${twenty[@]}") \
  --bus "$work/sys/COM3" $(sim_specs "${twenty[@]}")
py linefile "$work/dead.json" 100 "Healthy|COM2|$(IFS=,; echo "${twenty[*]}")" "Dead|COM3|$dead_line"
echo "== 2. dead modules: 20 live modules, and the same 20 with 3 absent ones listed (23 in the" \
  "file), two lines of one watch, $dead_seconds s, intervals after the first 10 s"
run_watch "$dead_seconds" dead.json "$work/dead.jsonl"
stop_sim
read -r healthy healthy95 healthyworst healthyn <<<"$(py sweep "$work/dead.jsonl" Healthy 10)"
read -r dead dead95 deadworst deadn <<<"$(py sweep "$work/dead.jsonl" Dead 10)"
echo "statuses: none dead: $(py statuses "$work/dead.jsonl" Healthy); three dead: $(py statuses "$work/dead.jsonl" Dead)"
echo "none dead:  median $healthy ms, p95 $healthy95, max $healthyworst ($healthyn intervals)"
echo "three dead: median $dead ms, p95 $dead95, max $deadworst ($deadn intervals)"
/usr/bin/python3 -c "print(f'refresh with three dead {$dead} ms beside {$healthy} ms with none,'
                           f' ratio {$dead / $healthy:.2f} (goal <= 1.25); p95 ratio {$dead95 / $healthy95:.2f}')"

fi
# 3. Many lines. measure_many_lines LABEL SECONDS OUTPUT CMD... runs CMD in `work` (its output to
# OUTPUT) for SECONDS, sampling its CPU and memory every 10 s, then ends it with SIGINT. Another
# program polling the same line file (a window showing the lines) is measured by calling it again.
measure_many_lines() {
  local label=$1 seconds=$2 output=$3
  shift 3
  (cd "$work" && exec "$@" >"$output" 2>"$output.err") &
  local pid=$! ticks t=0 cpu rss hwm started now
  ticks=$(getconf CLK_TCK)
  started=$(date +%s%N)
  : >"$work/samples"
  sample() {
    local stat
    read -r -a stat <"/proc/$pid/stat" || return 1
    cpu=$((stat[13] + stat[14]))
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
    now=$(date +%s%N)
    echo "$(((now - started) / 1000000)) $cpu $rss $hwm $(sim_ticks) $(ticks_of "$XVFB_PID")" \
      >>"$work/samples"
  }
  sample || { cat "$output.err" >&2; echo "$label did not start" >&2; exit 1; }
  while [ "$t" -lt "$seconds" ]; do
    sleep 10
    t=$((t + 10))
    kill -0 "$pid" 2>/dev/null || { cat "$output.err" >&2; echo "$label ended early" >&2; exit 1; }
    sample
  done
  kill -INT "$pid"
  wait "$pid" || true
  echo "$label:"
  /usr/bin/python3 - "$work/samples" "$ticks" <<'PY'
import sys
rows = [list(map(int, l.split())) for l in open(sys.argv[1])]
ticks = int(sys.argv[2])
for (t0, c0, *_), (t1, c1, rss, hwm, *_) in zip(rows, rows[1:]):
    print(f"  {t1 / 1000:5.0f} s  cpu {100 * (c1 - c0) / ticks / ((t1 - t0) / 1000):5.1f} %"
          f"  rss {rss / 1024:6.1f} MB  hwm {hwm / 1024:6.1f} MB")
(t0, c0, _, _, s0, x0), (t1, c1, rss_end, hwm, s1, x1) = rows[0], rows[-1]
wall = (t1 - t0) / 1000
print(f"  cpu {100 * (c1 - c0) / ticks / wall:.1f} % of one core over {wall:.0f} s"
      f" (the simulator of all the lines {100 * (s1 - s0) / ticks / wall:.1f} %,"
      f" the X server {100 * (x1 - x0) / ticks / wall:.1f} %)")
print(f"  peak memory (VmHWM) {hwm / 1024:.1f} MB")
at = 60 if rows[-1][0] >= 120000 else rows[-1][0] // 2000  # the run's middle when it is short
ref = min(rows, key=lambda r: abs(r[0] - at * 1000))
grew = rss_end - ref[2]
print(f"  rss at {ref[0] / 1000:.0f} s {ref[2] / 1024:.1f} MB, at the end {rss_end / 1024:.1f} MB:"
      f" {'flat' if grew <= 1024 else f'grew {grew / 1024:.1f} MB'} (flat: within 1 MB)")
half = min(rows, key=lambda r: abs(r[0] - rows[-1][0] / 2))
# Bounded stores (each line's traffic log of 10,000 rows) fill for minutes, then stop.
print(f"  rss at {half[0] / 1000:.0f} s {half[2] / 1024:.1f} MB, at the end {rss_end / 1024:.1f} MB:"
      f" {'flat' if rss_end - half[2] <= 1024 else 'still growing'} over the second half")
PY
}
ticks_of() {  # pid: its CPU ticks so far, 0 for none
  local stat
  if [ -n "$1" ] && read -r -a stat <"/proc/$1/stat" 2>/dev/null; then
    echo $((stat[13] + stat[14]))
  else
    echo 0
  fi
}
sim_ticks() { ticks_of "$sim_pid"; }

read -r -a thirty <<<"$(modules_of 30)"
buses=()
many=()
for n in $(seq 8); do
  # shellcheck disable=SC2207
  buses+=(--bus "$work/sys/COM$((10 + n))" $(sim_specs "${thirty[@]}"))
  many+=("Line $n|COM$((10 + n))|$(IFS=,; echo "${thirty[*]}")")
done
py linefile "$work/many.json" 100 "${many[@]}"
if [ "$publishing_only" -eq 0 ]; then
start_sim "$work/sim.log" "${buses[@]}"
echo "== 3. many lines: 8 lines of 30 modules at 9600 8N1, one watch, then the window" \
  "shown in Xvfb, $many_seconds s each"
measure_many_lines "zntool watch" "$many_seconds" "$work/many.jsonl" \
  "$build_dir/zntool" watch --line many.json --format json --lang en
# Its own end well after the samples: the SIGINT after the last one ends it.
measure_many_lines "the Line Overview window (zn_overview_bench --lines, Xvfb)" "$many_seconds" \
  "$work/many-window.out" "${in_xvfb[@]}" "$build_dir/zn_overview_bench" --lines many.json \
  --seconds $((many_seconds + 120))
sed 's/^/  /' "$work/many-window.out"
stop_sim
read -r floor requests <<<"$(py floor "${thirty[@]}")"
polls=$(py polls "$work/many.jsonl" "$many_seconds")
read -r sweep p95 worst n <<<"$(py sweep "$work/many.jsonl" "Line 1" 10)"
/usr/bin/python3 -c "print(f'sweep of line 1 {$sweep} ms (p95 $p95), floor $floor ms, ratio {$sweep / $floor:.2f};'
                           f' polls per second of each line: $polls, floor {30000 / $floor:.1f}')"

# 4. The window's redraws of a full line at full rate, fed without a bus.
echo "== 4. rows: one line of 247 modules in the window (Xvfb), $rows_seconds s of each of the" \
  "live rows, the same view unchanged and a plain table, in turns"
(cd "$work" && "${in_xvfb[@]}" "$build_dir/zn_overview_bench" --rows --seconds "$rows_seconds" \
  2>"$work/rows.err") || { cat "$work/rows.err" >&2; exit 1; }

fi
# 5. Publishing beside the same watch without it.
echo "== 5. publishing: the 8 lines of 30 modules, $publish_seconds s without a broker, then the" \
  "same publishing to mosquitto on 127.0.0.1 with mosquitto_sub subscribed to every state"
mosquitto=$(command -v mosquitto || echo /usr/sbin/mosquitto)
[ -x "$mosquitto" ] || { echo "mosquitto is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
port=$(/usr/bin/python3 -c "import socket; s = socket.socket(); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])")
printf 'listener %s 127.0.0.1\nallow_anonymous true\nuser %s\n' "$port" "$(id -un)" >"$work/mosquitto.conf"
"$mosquitto" -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
broker_pid=$!
trap 'kill "$broker_pid" 2>/dev/null; stop_sim; stop_process "$XVFB_PID"; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  grep -q "Opening ipv4 listen socket" "$work/mosquitto.log" && break
  sleep 0.1
done
start_sim "$work/sim.log" "${buses[@]}"
cpu_of_watch() {  # seconds, output, options: the watch's CPU ticks a second
  local pid ticks0 ticks1 t0 t1
  (cd "$work" && exec "$build_dir/zntool" watch --line many.json --format json --lang en "${@:3}" \
    >"$2" 2>"$2.err") &
  pid=$!
  sleep 10  # the model checks of the first sweep
  ticks0=$(ticks_of "$pid") t0=$(date +%s%N)
  sleep "$1"
  ticks1=$(ticks_of "$pid") t1=$(date +%s%N)
  kill -INT "$pid"
  wait "$pid" || true
  /usr/bin/python3 -c "print(($ticks1 - $ticks0) / $(getconf CLK_TCK) / (($t1 - $t0) / 1e9))"
}
plain=$(cpu_of_watch "$publish_seconds" "$work/plain.jsonl")
mosquitto_sub -h 127.0.0.1 -p "$port" -F '%U %t %p' -t 'zn/+/+/state' >"$work/delivered" 2>&1 &
sub_pid=$!
published=$(cpu_of_watch "$publish_seconds" "$work/published.jsonl" --mqtt "mqtt://127.0.0.1:$port")
kill "$sub_pid" 2>/dev/null || true
stop_sim
read -r median p99 worst deliveries <<<"$(py delivery "$work/delivered")"
/usr/bin/python3 -c "print(f'cpu of the watch: {100 * $plain:.1f} % of a core without publishing,'
                           f' {100 * $published:.1f} % publishing, ratio {$published / $plain:.2f}')"
echo "a poll's end to its state at the subscriber: median $median ms, p99 $p99, worst $worst" \
  "($deliveries states)"
grep -c '"status":"ok"' "$work/published.jsonl" | sed 's/^/polls answered while publishing: /'
