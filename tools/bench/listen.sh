#!/usr/bin/env bash
# Listen-only benchmark: a saturated bus at 115200 baud (frames back to back with 3.5 character
# silences, 100,000 by default) played into a pseudo-terminal and heard by the listener, then by
# a plain reader of the same pty, the floor. Prints whether every frame was heard whole and the
# CPU each used per core. Then the same with one frame in four written in two parts 0.5 to 16 ms
# apart, as a USB adapter delivers it (10,000 frames by default, as the pauses take line time).
# Not a test: it prints figures.
# Usage: tools/bench/listen.sh [--frames N] [--jitter-frames N] [--build-dir DIR]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$repo/build"
frames=100000
jitter_frames=10000
while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames="$2"; shift ;;
    --jitter-frames) jitter_frames="$2"; shift ;;
    --build-dir) build_dir="$2"; shift ;;
    *) echo "usage: $0 [--frames N] [--jitter-frames N] [--build-dir DIR]" >&2; exit 2 ;;
  esac
  shift
done
source "$repo/tools/bench/common.sh"
bench_build zn_listen_bench
"$build_dir/zn_listen_bench" "$frames" listen
"$build_dir/zn_listen_bench" "$frames" floor
"$build_dir/zn_listen_bench" "$jitter_frames" listen jitter
"$build_dir/zn_listen_bench" "$jitter_frames" floor jitter
