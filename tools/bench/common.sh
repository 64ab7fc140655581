# Shared by the benchmark scripts. Source it after setting `repo` and `build_dir`.

# Builds `targets...` in build_dir (configured first when it never was); build_dir made absolute.
bench_build() {
  build_dir="$(mkdir -p "$build_dir" && cd "$build_dir" && pwd)"
  [ -f "$build_dir/CMakeCache.txt" ] || cmake -S "$repo" -B "$build_dir" >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target "$@" >/dev/null
}

# A scratch folder in `work` with a runtime folder of its own for Qt.
bench_work() {
  work="$(mktemp -d)"
  export XDG_RUNTIME_DIR="$work/xdg"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# FOLDER/sys with the shipped files, poll period and reply waits of 100 ms, COM1 at 9600 baud.
bench_sys() {
  mkdir -p "$1/sys"
  cp "$repo"/sys/*.rc "$repo"/sys/*.ic "$1/sys/"
  printf 'Poll       00100 ms\r\nDigitalIn  00100 ms\r\nOutWrite   00300 ms\r\nMeasure    00100 ms\r\nAnalogOut  00300 ms\r\nMeasure2   00200 ms\r\n' >"$1/sys/tm.rc"
  printf '1\r\n9600\r\n无校验\r\n' >"$1/sys/set.rc"
}

# The simulator a script runs, one at a time: start_sim LOG ARGS... starts znsim with ARGS, its
# output to LOG, and waits until it is ready; stop_sim ends it (harmless when none runs).
sim_pid=""
stop_sim() {
  if [ -n "$sim_pid" ]; then kill -TERM "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  sim_pid=""
}
start_sim() {  # log args...
  local log=$1
  shift
  "$build_dir/znsim" "$@" >"$log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q "znsim: ready" "$log" && return 0; sleep 0.1; done
  cat "$log" >&2
  echo "simulator did not start" >&2
  exit 1
}
