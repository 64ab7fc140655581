#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test; then the whole
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer (tools/sanitize.sh), and the
# fuzz targets for a minute each (tools/fuzz.sh --ci). This is what CI runs.
#   tools/test.sh           all of it
#   tools/test.sh --quick   install, build, format check and the suite only
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "test.sh: unknown option '$1' (try --quick)" >&2; exit 2 ;;
esac

tools/install-deps.sh
start=$SECONDS
tools/build.sh
echo "build: $((SECONDS - start)) s"
tools/check-format.sh
start=$SECONDS
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 300)
echo "suite: $((SECONDS - start)) s"
[ $quick -eq 1 ] && exit 0

tools/sanitize.sh
if [ -e tools/fuzz.sh ]; then
  [ -x tools/fuzz.sh ] || { echo "test.sh: tools/fuzz.sh is there but not executable" >&2; exit 1; }
  start=$SECONDS
  tools/fuzz.sh --ci
  echo "fuzzing: $((SECONDS - start)) s"
fi
