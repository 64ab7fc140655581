#!/usr/bin/env bash
# Builds the program, the simulator and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs the whole test suite there. Any finding (a
# bad access, undefined behaviour, a leak) ends that test program with an error, so the run fails.
#   tools/sanitize.sh            build and test
#   tools/sanitize.sh --build    build only
# Leaks: LeakSanitizer is on, with no suppressions: the test programs (Qt offscreen) and the
# smoke run (Qt xcb) exit clean. Should a library's own leak ever need one, name that library in
# a committed file given as LSAN_OPTIONS=suppressions=FILE (the nobody runs copy it), never this
# program's code.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-asan

sanitizers="-fsanitize=address,undefined -fsanitize=float-cast-overflow"
flags="$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer"
start=$SECONDS
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "sanitizer build: $((SECONDS - start)) s"
[ "${1:-}" = "--build" ] && exit 0

# halt_on_error and the exit codes make every finding fatal; the program name in the report
# points at the test program that found it.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:exitcode=86:detect_leaks=1:\
detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:\
detect_invalid_pointer_pairs=0:print_summary=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87:print_summary=1"
export LSAN_OPTIONS="exitcode=88"

start=$SECONDS
status=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 900) || status=$?
echo "sanitizer suite: $((SECONDS - start)) s"
exit $status
