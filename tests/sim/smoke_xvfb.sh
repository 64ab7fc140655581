#!/usr/bin/env bash
# Smoke test in a real X server: the real zntool with the demo simulator. The main window is found
# by its title, a ZN210 function-test window is opened through the accessibility bus and polls
# COM1 until it reports normal communication; screenshots of both go to OUT_DIR.
# Usage: smoke_xvfb.sh ZNTOOL ZNSIM SYS_DIR OUT_DIR. A missing tool fails it.
# Every wait below waits for its event, with a ceiling far above what a loaded machine needs.
set -euo pipefail

source "$(dirname "$0")/../support/xtest.sh"

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

sim="" XVFB_PID=""
cleanup() {
  stop_process "$sim"
  stop_process "$XVFB_PID"
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

start_xvfb "$ZN_WORK" 1280x1024x24

status=0
dbus-run-session -- bash "$0" --inside || status=$?
echo "simulator log (last lines):"
tail -n 4 "$ZN_WORK/znsim.log"
exit $status
