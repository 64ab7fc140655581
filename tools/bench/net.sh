#!/usr/bin/env bash
# Network line benchmark: the real ZN210 window (offscreen) polls the simulator at 9600 baud with
# tm.rc poll 100 ms and reply wait 100 ms, first on its pseudo-terminal directly, then through
# ser2net on 127.0.0.1 in raw mode and in RFC 2217 mode. Prints the cycle time, the CPU per cycle
# and the time from Open to the first accepted reply of each. Then, for connections that fail
# (refused, never accepted, an RFC 2217 port that never acknowledges the line), the longest the
# event loop stood still while the program tried. Not a test: it prints figures.
# Usage: tools/bench/net.sh [--cycles N] [--build-dir DIR]
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
command -v ser2net >/dev/null || { echo "ser2net is not installed" >&2; exit 1; }
source "$repo/tools/bench/common.sh"
bench_build zn_bench znsim
bench_work
gateway_pid=""
stop_gateway() {
  if [ -n "$gateway_pid" ]; then kill -TERM "$gateway_pid" 2>/dev/null || true; wait "$gateway_pid" 2>/dev/null || true; fi
  gateway_pid=""
}
trap 'stop_gateway; stop_sim; rm -rf "$work"' EXIT
bench_sys "$work"

# A port on 127.0.0.1 free a moment ago, and a wait until something listens there.
free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
wait_listening() {  # port
  local hex
  hex=$(printf '%04X' "$1")
  for _ in $(seq 100); do grep -q "0100007F:$hex 00000000:0000 0A" /proc/net/tcp && return 0; sleep 0.1; done
  echo "ser2net did not listen" >&2
  exit 1
}

for line in pty tcp rfc2217; do
  echo "== ZN210 window (offscreen), $cycles cycles, $line"
  start_sim "$work/sim.log" --bus "$work/sys/COM1" --module ZN210
  if [ "$line" = pty ]; then
    printf '1\r\n9600\r\n无校验\r\n' >"$work/sys/set.rc"
  else
    port=$(free_port)
    accepter="tcp"
    [ "$line" = rfc2217 ] && accepter="telnet(rfc2217),tcp"
    printf 'connection: &bench\n  accepter: %s,127.0.0.1,%s\n  connector: serialdev,%s,9600n81,local\n' \
      "$accepter" "$port" "$(readlink -f "$work/sys/COM1")" >"$work/ser2net.yaml"
    ser2net -n -d -c "$work/ser2net.yaml" -P "$work/ser2net.pid" 2>"$work/ser2net.log" &
    gateway_pid=$!
    wait_listening "$port"
    printf '0\r\n9600\r\n无校验\r\n%s://127.0.0.1:%s\r\n' "$line" "$port" >"$work/sys/set.rc"
  fi
  QT_QPA_PLATFORM=offscreen "$build_dir/zn_bench" poll "$work" "$cycles" ZN210 \
    2>"$work/bench.err" | grep -E "^(accepted|cycle_mean|cycle_p50|cycle_p99|cpu_ms|open_to)" ||
    echo "run failed: $(grep -v plugin "$work/bench.err" | tr '\n' ' ')"
  stop_gateway
  stop_sim
done

# Peers that fail on 127.0.0.1: one whose accept queue is full (a connect is never answered) and
# one that accepts and says nothing; their ports on the helper's first line.
/usr/bin/python3 - >"$work/peers.txt" <<'PY' &
import socket, sys, time
full = socket.socket(); full.bind(("127.0.0.1", 0)); full.listen(0)
filler = socket.socket(); filler.setblocking(False); filler.connect_ex(full.getsockname())
silent = socket.socket(); silent.bind(("127.0.0.1", 0)); silent.listen(4)
print(full.getsockname()[1], silent.getsockname()[1], flush=True)
held = []
silent.settimeout(0.2)
end = time.time() + 60
while time.time() < end:
    try:
        held.append(silent.accept()[0])
    except OSError:
        pass
PY
peers_pid=$!
for _ in $(seq 100); do [ -s "$work/peers.txt" ] && break; sleep 0.1; done
read -r full_port silent_port <"$work/peers.txt"
for name in "tcp://127.0.0.1:$(free_port)" "tcp://127.0.0.1:$full_port" \
            "rfc2217://127.0.0.1:$silent_port" "tcp://no-such-gateway.invalid:4001"; do
  echo "== open $name"
  QT_QPA_PLATFORM=offscreen "$build_dir/zn_bench" connect "$name" 2>/dev/null | grep connect_
done
kill "$peers_pid" 2>/dev/null || true
