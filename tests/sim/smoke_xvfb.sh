#!/usr/bin/env bash
# Smoke test in a real X server: the real zntool with the demo simulator. The main window is found
# by its title, a ZN210 function-test window is opened through the accessibility bus and polls
# COM1 until it reports normal communication; screenshots of both go to OUT_DIR.
# Usage: smoke_xvfb.sh ZNTOOL ZNSIM SYS_DIR OUT_DIR. Exit 77 (skipped) when a tool is missing,
# 1 (failed) when one is missing under CI, whose install step brings them all.
# Every wait below waits for its event, with a ceiling far above what a loaded machine needs.
set -euo pipefail

# Polls `condition...` every 0.1 s for up to `seconds`; false when it never held.
wait_until() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

viewable() { xwininfo -name "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

if [ "${1:-}" = "--inside" ]; then
  # Runs inside dbus-run-session, with DISPLAY on our own Xvfb.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  cd "$ZN_WORK"
  "$ZN_TOOL" >tool.log 2>&1 &
  tool=$!
  trap 'kill "$tool" 2>/dev/null || true; wait "$tool" 2>/dev/null || true' EXIT
  title="ORMELIX模块调试软件_V1.42S"
  if ! wait_until 60 viewable "$title"; then
    echo "FAIL: no window titled $title is showing"
    xwininfo -root -tree | head -20
    cat tool.log
    exit 1
  fi
  import -window root "$ZN_OUT/smoke-main.png"
  /usr/bin/python3 "$ZN_HERE/smoke_drive.py" "$title" "通讯数据正常！" || { cat tool.log; exit 1; }
  wait_until 30 viewable "ZN210" || { echo "FAIL: the ZN210 window is not showing"; exit 1; }
  import -window root "$ZN_OUT/smoke-zn210.png"
  echo "screenshots: $ZN_OUT/smoke-main.png $ZN_OUT/smoke-zn210.png"
  exit 0
fi

[ $# -eq 4 ] || { echo "usage: $0 ZNTOOL ZNSIM SYS_DIR OUT_DIR" >&2; exit 2; }
missing() {
  if [ -n "${CI:-}" ] && [ "${CI}" != "0" ] && [ "${CI}" != "false" ]; then
    echo "FAIL: $1 is missing; CI installs every test peer (tools/install-deps.sh)"
    exit 1
  fi
  echo "SKIP: $1 is not installed"
  exit 77
}
for tool in Xvfb xwininfo import dbus-run-session; do
  command -v "$tool" >/dev/null || missing "$tool"
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || missing python3-pyatspi

export ZN_TOOL="$(realpath "$1")" ZN_HERE="$(cd "$(dirname "$0")" && pwd)"
export ZN_WORK="$(mktemp -d)"
mkdir -p "$4"
export ZN_OUT="$(cd "$4" && pwd)"
mkdir -p "$ZN_WORK/sys"
cp "$3"/*.rc "$3"/*.ic "$ZN_WORK/sys/"

sim="" xvfb=""
cleanup() {
  [ -z "$sim" ] || { kill -TERM "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; }
  [ -z "$xvfb" ] || { kill -TERM "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
  rm -rf "$ZN_WORK"
}
trap cleanup EXIT

"$(realpath "$2")" --verbose --demo "$ZN_WORK/sys" >"$ZN_WORK/znsim.log" 2>&1 &
sim=$!
if ! wait_until 60 grep -q "znsim: ready" "$ZN_WORK/znsim.log"; then
  echo "FAIL: the simulator did not become ready"
  cat "$ZN_WORK/znsim.log"
  exit 1
fi

# The server picks a free display itself and writes its number once it accepts clients, so two
# runs started together never race for one display number.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 \
  3>"$ZN_WORK/display" >"$ZN_WORK/xvfb.log" 2>&1 &
xvfb=$!
display_known() { grep -q '^[0-9][0-9]*$' "$ZN_WORK/display" 2>/dev/null || ! kill -0 "$xvfb" 2>/dev/null; }
wait_until 60 display_known || true
if ! kill -0 "$xvfb" 2>/dev/null || ! grep -q '^[0-9][0-9]*$' "$ZN_WORK/display"; then
  echo "FAIL: Xvfb did not start"
  cat "$ZN_WORK/xvfb.log"
  exit 1
fi
export DISPLAY=":$(cat "$ZN_WORK/display")"
# The caller's environment may name another platform (the unit tests use offscreen).
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

status=0
dbus-run-session -- bash "$0" --inside || status=$?
echo "simulator log (last lines):"
tail -n 4 "$ZN_WORK/znsim.log"
exit $status
