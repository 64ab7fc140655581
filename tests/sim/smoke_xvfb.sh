#!/usr/bin/env bash
# Smoke test in a real X server: the real zntool with the demo simulator. The main window is found
# by its title, a ZN210 function-test window is opened through the accessibility bus and polls
# COM1 until it reports normal communication; screenshots of both go to OUT_DIR.
# Usage: smoke_xvfb.sh ZNTOOL ZNSIM SYS_DIR OUT_DIR. Exit 77 (skipped) when a tool is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  # Runs inside xvfb-run and dbus-run-session.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  cd "$ZN_WORK"
  "$ZN_TOOL" >tool.log 2>&1 &
  tool=$!
  trap 'kill "$tool" 2>/dev/null || true; wait "$tool" 2>/dev/null || true' EXIT
  title="ORMELIX模块调试软件_V1.42S"
  for _ in $(seq 100); do
    xwininfo -root -tree | grep -qF "\"$title\"" && break
    sleep 0.1
  done
  if ! xwininfo -root -tree | grep -qF "\"$title\""; then
    echo "FAIL: no window titled $title"; cat tool.log; exit 1
  fi
  sleep 0.5
  import -window root "$ZN_OUT/smoke-main.png"
  /usr/bin/python3 "$ZN_HERE/smoke_drive.py" "$title" "通讯数据正常！"
  sleep 0.3
  import -window root "$ZN_OUT/smoke-zn210.png"
  echo "screenshots: $ZN_OUT/smoke-main.png $ZN_OUT/smoke-zn210.png"
  exit 0
fi

[ $# -eq 4 ] || { echo "usage: $0 ZNTOOL ZNSIM SYS_DIR OUT_DIR" >&2; exit 2; }
for tool in xvfb-run xwininfo import dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

export ZN_TOOL="$(realpath "$1")" ZN_HERE="$(cd "$(dirname "$0")" && pwd)"
export ZN_WORK="$(mktemp -d)"
mkdir -p "$4"
export ZN_OUT="$(cd "$4" && pwd)"
mkdir -p "$ZN_WORK/sys"
cp "$3"/*.rc "$3"/*.ic "$ZN_WORK/sys/"
"$(realpath "$2")" --verbose --demo "$ZN_WORK/sys" >"$ZN_WORK/znsim.log" 2>&1 &
sim=$!
trap 'kill -TERM "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$ZN_WORK"' EXIT
for _ in $(seq 50); do
  grep -q "znsim: ready" "$ZN_WORK/znsim.log" && break
  sleep 0.1
done
grep -q "znsim: ready" "$ZN_WORK/znsim.log" || { echo "FAIL: simulator"; cat "$ZN_WORK/znsim.log"; exit 1; }

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash "$0" --inside || status=$?
echo "simulator log (last lines):"
tail -n 4 "$ZN_WORK/znsim.log"
exit $status
