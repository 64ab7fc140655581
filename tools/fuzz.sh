#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/) with clang in build-fuzz/ and runs them.
#   tools/fuzz.sh TARGET SECONDS   runs one target; what it learns stays in build-fuzz/corpus/TARGET
#   tools/fuzz.sh --ci [SECONDS]   runs every target (60 s each by default) from a copy of its
#                                  committed seeds; exits non-zero when any target finds a fault
#   tools/fuzz.sh --long [TARGET]...  runs the targets named (all by default) 10 minutes each
#                                  (FUZZ_LONG_SECONDS sets another time), each growing its corpus
#                                  in build-fuzz/corpus/TARGET; exits non-zero on any finding
#   tools/fuzz.sh --minimize TARGET FILE   shrinks a crashing input to FILE.min
#   tools/fuzz.sh --build          builds only
# Findings are written to build-fuzz/findings/TARGET/; see tests/fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz
targets=(reply settings simframer typedframe)

install_tools() {
  "$root/tools/install-deps.sh"
  local packages=(clang libclang-rt-14-dev) missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_targets() {
  install_tools
  local start=$SECONDS
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DZN_FUZZ=ON >/dev/null
  if ! cmake --build "$build" --target fuzz_all -j"$(nproc)" >"$build/build.log" 2>&1; then
    tail -n 40 "$build/build.log"
    echo "fuzz build failed; the whole log is $build/build.log" >&2
    exit 1
  fi
  echo "fuzz build: $((SECONDS - start)) s"
}

known_target() {
  local t
  for t in "${targets[@]}"; do [ "$t" = "$1" ] && return 0; done
  echo "unknown target '$1'; targets: ${targets[*]}" >&2
  exit 2
}

# run TARGET SECONDS CORPUS: fuzzes into CORPUS (seeds read as well); returns the fuzzer's status.
run() {
  local target=$1 seconds=$2 corpus=$3 findings=$build/findings/$1 log
  mkdir -p "$corpus" "$findings"
  log=$(mktemp)
  local status=0
  QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$root/tests/fuzz/lsan.supp":print_suppressions=0 \
    "$build/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  local runs rate=""
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  [ -n "$runs" ] && rate=" ($((runs / seconds))/s)"
  if [ $status -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz $target: FINDING after ${runs:-?} executions; inputs in $findings/:"
    local f
    for f in "$findings"/crash-* "$findings"/leak-* "$findings"/timeout-* "$findings"/oom-*; do
      [ -f "$f" ] || continue
      echo "  $f: $(od -An -tx1 -v "$f" | tr -d '\n' | cut -c1-600)"
    done
  else
    echo "fuzz $target: ${runs:-?} executions in $seconds s${rate}, no finding"
  fi
  rm -f "$log"
  return $status
}

case "${1:-}" in
  --build)
    build_targets
    ;;
  --ci)
    seconds=${2:-60}
    build_targets
    failed=()
    for t in "${targets[@]}"; do
      # New corpus entries go to a scratch folder, never into the repository's seeds.
      corpus=$(mktemp -d)
      run "$t" "$seconds" "$corpus" || failed+=("$t")
      rm -rf "$corpus"
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "fuzzing found faults in: ${failed[*]}"
      exit 1
    fi
    echo "fuzzing: ${#targets[@]} targets, no finding"
    ;;
  --long)
    shift
    [ $# -gt 0 ] || set -- "${targets[@]}"
    for t in "$@"; do known_target "$t"; done
    seconds=${FUZZ_LONG_SECONDS:-600}
    build_targets
    failed=()
    for t in "$@"; do run "$t" "$seconds" "$build/corpus/$t" || failed+=("$t"); done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "fuzzing found faults in: ${failed[*]}"
      exit 1
    fi
    echo "fuzzing: $# targets, $seconds s each, no finding"
    ;;
  --minimize)
    [ $# -eq 3 ] || { echo "usage: $0 --minimize TARGET FILE" >&2; exit 2; }
    known_target "$2"
    build_targets
    QT_QPA_PLATFORM=offscreen "$build/fuzz_$2" -minimize_crash=1 -max_total_time=60 \
      -exact_artifact_path="$3.min" "$3"
    echo "minimised: $3.min"
    ;;
  "" | -h | --help)
    sed -n '2,11p' "$0"
    ;;
  *)
    [ $# -eq 2 ] || { echo "usage: $0 TARGET SECONDS" >&2; exit 2; }
    known_target "$1"
    build_targets
    run "$1" "$2" "$build/corpus/$1"
    ;;
esac
