#!/usr/bin/env bash
# Tests the Windows build of tools/windows/build.sh under Wine, in a virtual X server, with the
# Linux module simulator on the other end of COM5:
#   - zntool.com (zntool.exe for the command line) ports, read, poll and scan (no and odd
#     parity) against the simulator, each output the same, byte for byte but for line ends, the
#     port's name and a scan's response times, as the Linux zntool's against its own copy of the
#     same bus; read through the simulator's raw TCP port too;
#   - the ZN210 work window polling, in English and in Chinese, screenshots showing its readings
#     change (kept in build-win64/test/screenshots/);
#   - setup.exe /S installs, the installed program and its window run, the uninstaller removes
#     every file.
# Not part of tools/test.sh: the Windows Qt takes too long to build for every CI run.
# Everything it makes goes to build-win64/test/ (a fresh Wine prefix and home each run).
# Any failure, a missing tool included, ends it non-zero with a plain message.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=$repo/build-win64
scratch=$out/test
shots=$scratch/screenshots

fail() {
  echo "test.sh: FAIL: $*" >&2
  exit 1
}
say() { printf '== %s\n' "$*"; }

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

# --- tools -----------------------------------------------------------------------------------
packages=(wine wine64 xvfb xauth x11-utils imagemagick xdotool unzip cmake g++ qt6-base-dev
  qt6-serialport-dev qt6-charts-dev libasound2-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=1200 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=1200 install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
for tool in wine wineserver wineboot xvfb-run Xvfb xwininfo xdotool import unzip cmake; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done

version=$(sed -nE 's/^set\(CPACK_PACKAGE_VERSION ([0-9.]+)\)/\1/p' "$repo/packaging/package.cmake")
zip=$out/zntool-$version-win64.zip
setup=$out/zntool-$version-setup.exe
[ -f "$zip" ] || fail "$zip is missing: run tools/windows/build.sh first"
[ -f "$setup" ] || fail "$setup is missing: run tools/windows/build.sh first"

# In our own X server: Wine draws its windows (and a Qt program its) there.
if [ -z "${ZN_WIN_TEST_XVFB:-}" ]; then
  export ZN_WIN_TEST_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

# --- the Linux programs ----------------------------------------------------------------------
say "building the Linux zntool and znsim in build/"
if [ ! -f "$repo/build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$repo/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
    fail "configuring build/ failed"
fi
nice -n 19 cmake --build "$repo/build" -j2 --target zntool znsim >"$out/linux-build.log" 2>&1 ||
  { tail -30 "$out/linux-build.log"; fail "building the Linux zntool and znsim failed"; }
linux_tool=$repo/build/zntool
znsim=$repo/build/znsim

# --- scratch folder, simulator, Wine prefix ---------------------------------------------------
rm -rf "$scratch"
mkdir -p "$scratch/home" "$scratch/sim" "$scratch/run" "$shots"
export HOME=$scratch/home WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
sim_pid=""
gui_sim_pid=""
gui_pid=""
cleanup() {
  [ -z "$gui_pid" ] || kill "$gui_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  local pid
  for pid in $sim_pid $gui_sim_pid; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

say "unpacking $(basename "$zip")"
unzip -q "$zip" -d "$scratch/unzipped"
app=$scratch/unzipped/zntool-$version-win64
# zntool.exe is the window; zntool.com, the same program for the command line, is what a console
# runs when "zntool" is typed.
exe=$app/zntool.exe
com=$app/zntool.com
[ -f "$exe" ] || fail "the zip holds no zntool-$version-win64/zntool.exe"
[ -f "$com" ] || fail "the zip holds no zntool-$version-win64/zntool.com"

# One simulator, two copies of one bus: COM5 for the Windows program (through Wine), LINUX for
# the Linux one; their measurements are frozen at the start so both read the same values. The
# modules at odd parity answer only the odd-parity scan. GUI is a live bus for the work window.
bus=(--module ZN210,addr=1 --module ZN330,addr=2 --module ZN220,addr=5,parity=O
  --module ZN410,addr=7,parity=O --module ZN260,addr=9)
"$znsim" --die-with-parent --freeze 0 \
  --bus "$scratch/sim/COM5" --tcp 0 "${bus[@]}" \
  --bus "$scratch/sim/LINUX" "${bus[@]}" \
  >"$scratch/sim.log" 2>&1 &
sim_pid=$!
"$znsim" --die-with-parent --verbose --bus "$scratch/sim/GUI" --module ZN210,addr=1 \
  >"$scratch/sim-gui.log" 2>&1 &
gui_sim_pid=$!
wait_until 60 grep -qs "znsim: ready" "$scratch/sim.log" ||
  { cat "$scratch/sim.log"; fail "the simulator did not start"; }
wait_until 60 grep -qs "znsim: ready" "$scratch/sim-gui.log" ||
  { cat "$scratch/sim-gui.log"; fail "the GUI's simulator did not start"; }
tcp_port=$(sed -nE 's/.*raw RTU over TCP on 127\.0\.0\.1:([0-9]+)$/\1/p' "$scratch/sim.log")
[ -n "$tcp_port" ] || fail "the simulator printed no TCP port"

say "making a Wine prefix in $WINEPREFIX"
wineboot -i >"$scratch/wineboot.log" 2>&1 || fail "wineboot failed (see $scratch/wineboot.log)"
wineserver -w
reg() { wine reg add "$@" /f >>"$scratch/reg.log" 2>&1 || fail "wine reg add $* failed"; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
# COM5 and COM6 are the simulator's ptys; COM1 of a fresh prefix is the console, never used.
reg 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$scratch/sim/COM5"
reg 'HKLM\Software\Wine\Ports' /v COM6 /t REG_SZ /d "$scratch/sim/GUI"
wineserver -k || true
wineserver -w

# Runs a Windows program, its output to files NAME.out and NAME.err in run/ (not through pipes,
# which Wine's console handles differently); its exit code is the program's.
win() {
  local name=$1
  shift
  (cd "$scratch/run" && wine "$@" >"$name.out" 2>"$name.err")
}
# The same for the Linux zntool.
lin() {
  local name=$1
  shift
  (cd "$scratch/run" && "$linux_tool" "$@" >"$name.out" 2>"$name.err")
}
# Both outputs the same but for line ends and the port's name (COM5 against a pty's path). In a
# scan's table the response times are left out too: they are the machine's, not the program's.
same() {
  local name=$1 win_port=$2 lin_port=$3 f
  for f in win lin; do
    sed -e 's/\r$//' -e "s#$win_port#PORT#g" -e "s#$lin_port#PORT#g" \
      "$scratch/run/$f-$name.out" >"$scratch/run/$f-$name.cmp"
    if [[ $name == scan* ]]; then
      /usr/bin/python3 -c '
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig", newline="")))
col = rows[0].index("Response ms")
w = csv.writer(open(sys.argv[1], "w", encoding="utf-8", newline=""), lineterminator="\n")
w.writerows([r[:col] + r[col + 1:] for r in rows])' "$scratch/run/$f-$name.cmp" ||
        fail "$name: $f's output is no scan table"
    fi
  done
  [ -s "$scratch/run/lin-$name.cmp" ] || fail "$name: the Linux zntool printed nothing"
  cmp -s "$scratch/run/win-$name.cmp" "$scratch/run/lin-$name.cmp" || {
    diff -u "$scratch/run/lin-$name.cmp" "$scratch/run/win-$name.cmp" | head -40
    fail "$name: zntool.com's output differs from the Linux zntool's"
  }
  echo "   $name: the same as on Linux ($(wc -l <"$scratch/run/lin-$name.cmp") lines)"
}

# --- the command line -------------------------------------------------------------------------
say "zntool.com ports"
win win-ports "$com" ports --lang en --format csv || fail "zntool.com ports exited $?"
grep -q "^COM5," "$scratch/run/win-ports.out" ||
  { cat "$scratch/run/win-ports.out"; fail "zntool.com ports does not list COM5"; }
lin lin-ports ports --lang en --format csv || fail "the Linux zntool ports exited $?"
# The devices differ by nature; the table's heading must not.
[ "$(head -1 "$scratch/run/win-ports.out" | tr -d '\r')" = \
  "$(head -1 "$scratch/run/lin-ports.out" | tr -d '\r')" ] ||
  fail "zntool.com ports' heading differs from the Linux zntool's"
echo "   ports: lists COM5"

# Each command against COM5 on Windows and the Linux copy of the bus on Linux.
both() {
  local name=$1 status
  shift
  status=0
  win "win-$name" "$com" "$@" --port COM5 || status=$?
  [ $status -le 1 ] || { cat "$scratch/run/win-$name.err"; fail "zntool.com $* exited $status"; }
  status=0
  lin "lin-$name" "$@" --port "$scratch/sim/LINUX" || status=$?
  [ $status -le 1 ] || { cat "$scratch/run/lin-$name.err"; fail "the Linux zntool $* exited $status"; }
  same "$name" COM5 "$scratch/sim/LINUX"
}

say "zntool.com read and poll over COM5"
both read read --address 1 --register 0 --count 4 --lang en
both read-ids read --address 2 --register 100 --count 3 --lang en --format csv
both poll poll --address 1 --model ZN210 --count 2 --interval 200 --lang en

say "zntool.com scan over COM5, no parity and odd parity"
both scanN scan --from 1 --to 10 --baud 9600 --parity N --lang en --format csv
both scanO scan --from 1 --to 10 --baud 9600 --parity O --lang en --format csv
[ "$(wc -l <"$scratch/run/lin-scanN.cmp")" -eq 4 ] ||
  fail "the scan at no parity should find the three modules at no parity"
[ "$(wc -l <"$scratch/run/lin-scanO.cmp")" -eq 3 ] ||
  fail "the scan at odd parity should find the two modules at odd parity"

say "zntool.com read over raw TCP"
win win-tcp "$com" read --address 1 --register 0 --count 4 --lang en \
  --port "tcp://127.0.0.1:$tcp_port" || fail "zntool.com read over TCP exited $?"
cp "$scratch/run/lin-read.out" "$scratch/run/lin-tcp.out"
same tcp "tcp://127.0.0.1:$tcp_port" "$scratch/sim/LINUX"

# --- the work window ------------------------------------------------------------------------
# A picture of one window, cut from the screen.
shot() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
# True when two pictures differ in any pixel.
differs() {
  local n
  n=$(compare -metric AE "$1" "$2" null: 2>&1 >/dev/null || true)
  [ "${n%% *}" != 0 ]
}
# Takes pictures of WINDOW into AFTER until one differs from BEFORE, for up to SECONDS.
wait_change() {
  local window=$1 before=$2 after=$3 end=$((SECONDS + $4))
  while :; do
    shot "$window" "$after"
    differs "$before" "$after" && return 0
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}
replies() { grep -cE '^[0-9:.]+ .* -> ' "$scratch/sim-gui.log" || true; }
at_least_replies() { [ "$(replies)" -ge "$1" ]; }
visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shows() { [ -n "$(visible "$1")" ]; }

# The program in LANG (set2.rc's English switch ENGLISH) opens its ZN210 work window on COM6,
# the live simulator, opens the port and reads: once it polls, two pictures of the window some
# replies apart must differ, the readings having changed. Keys go where the focus is (XTEST), as
# a user's would: the model list holds the focus in the main window, the port list in the work
# window, and Tab walks on from there.
gui_run() {
  local lang=$1 english=$2 title=$3
  local folder=$scratch/gui-$lang
  mkdir -p "$folder/sys"
  cp "$app"/sys/* "$folder/sys/"
  # set.rc: COM6 at 9600, no parity; set2.rc: service level 0, short lists, the language.
  printf '6\r\n9600\r\n%s\r\n' "$([ "$english" = 1 ] && echo None || echo 无校验)" >"$folder/sys/set.rc"
  printf '0\r\n0\r\n%s\r\n' "$english" >"$folder/sys/set2.rc"
  (cd "$folder" && exec wine "$exe" >"$folder/zntool.out" 2>"$folder/zntool.err") &
  gui_pid=$!
  wait_until 60 shows "$title" ||
    { import -window root "$shots/$lang-failed.png"; fail "$lang: no main window titled $title"; }
  local main work try
  main=$(visible "$title")
  shot "$main" "$shots/$lang-main.png"
  for try in 1 2 3; do
    xdotool windowfocus --sync "$main" || true
    xdotool key ctrl+a
    xdotool type --delay 50 ZN210
    xdotool key Tab space
    wait_until 20 shows ZN210 && break
  done
  shows ZN210 ||
    { import -window root "$shots/$lang-failed.png"; fail "$lang: the ZN210 window did not open"; }
  work=$(visible ZN210)
  xdotool windowfocus --sync "$work" || true
  shot "$work" "$folder/closed.png"
  xdotool key Tab Tab Tab space
  wait_change "$work" "$folder/closed.png" "$folder/open.png" 30 ||
    fail "$lang: the ZN210 window did not change on Port Open"
  local before
  before=$(replies)
  xdotool key Tab Tab Tab Tab Tab space
  wait_until 60 at_least_replies $((before + 2)) ||
    { shot "$work" "$shots/$lang-failed.png"; fail "$lang: the ZN210 window does not poll COM6"; }
  shot "$work" "$shots/$lang-zn210-1.png"
  before=$(replies)
  wait_until 60 at_least_replies $((before + 2)) || fail "$lang: the ZN210 window stopped polling"
  wait_change "$work" "$shots/$lang-zn210-1.png" "$shots/$lang-zn210-2.png" 60 ||
    fail "$lang: the ZN210 window's readings do not change while it polls"
  echo "   $lang: polls COM6, readings change ($shots/$lang-zn210-1.png, $lang-zn210-2.png)"
  kill "$gui_pid" 2>/dev/null || true
  wineserver -k || true
  wineserver -w
  gui_pid=""
}

say "the ZN210 work window, English and Chinese"
# Wine's text drawing leaves line edits and editable lists blank under Qt's default engines (a
# 20-line Qt program shows it too, through GDI and through DirectWrite; Windows draws them): the
# unzipped copy draws with Qt's own FreeType engine, so the pictures show every text. The
# installed program below keeps Qt's default, as users get it.
printf '[Paths]\r\nPrefix = .\r\n[Platforms]\r\nWindowsArguments = fontengine=freetype\r\n' \
  >"$app/qt.conf"
gui_run en 1 "ORMELIX Debugging Software_V1.42S"
gui_run zh 0 "ORMELIX模块调试软件_V1.42S"

# --- the installer --------------------------------------------------------------------------
say "setup.exe /S"
win setup "$setup" /S || fail "setup.exe /S exited $?"
wineserver -w
installed=$WINEPREFIX/drive_c/Program\ Files/zntool
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZN module debugging tool.lnk"
[ -f "$installed/zntool.exe" ] || fail "setup.exe installed no Program Files/zntool/zntool.exe"
[ -f "$installed/uninstall.exe" ] || fail "setup.exe put no uninstall.exe beside zntool.exe"
[ -f "$shortcut" ] || fail "setup.exe made no Start menu entry"
# Every file of the zip is installed, and nothing else but the uninstaller.
(cd "$app" && find . -type f | sort) >"$scratch/zip-files.txt"
(cd "$installed" && find . -type f ! -path ./uninstall.exe | sort) >"$scratch/installed-files.txt"
cmp -s "$scratch/zip-files.txt" "$scratch/installed-files.txt" || {
  diff "$scratch/zip-files.txt" "$scratch/installed-files.txt" | head -20
  fail "setup.exe installed other files than the zip holds"
}
win installed-help "C:\\Program Files\\zntool\\zntool.com" --help --lang en ||
  fail "the installed zntool.com --help exited $?"
grep -q "Usage: zntool" "$scratch/run/installed-help.out" ||
  fail "the installed zntool.com printed no help"
win installed-ports "C:\\Program Files\\zntool\\zntool.com" ports --lang en --format csv ||
  fail "the installed zntool.com ports exited $?"
grep -q "^COM5," "$scratch/run/installed-ports.out" || fail "the installed zntool.com does not list COM5"
# The window too, as its Start menu entry starts it; the shipped settings pick the language.
(cd "$installed" && exec wine "C:\\Program Files\\zntool\\zntool.exe" \
  >"$scratch/run/installed-gui.out" 2>"$scratch/run/installed-gui.err") &
gui_pid=$!
main_shows() { shows "ORMELIX Debugging Software_V1.42S" || shows "ORMELIX模块调试软件_V1.42S"; }
wait_until 60 main_shows ||
  { import -window root "$shots/installed-failed.png"; fail "the installed zntool.exe shows no main window"; }
installed_main=$(visible "ORMELIX Debugging Software_V1.42S" || visible "ORMELIX模块调试软件_V1.42S")
shot "$installed_main" "$shots/installed-main.png"
kill "$gui_pid" 2>/dev/null || true
wineserver -k || true
wineserver -w
gui_pid=""
echo "   installed $(wc -l <"$scratch/installed-files.txt") files, the program and its window run"

say "uninstall.exe /S"
win uninstall "C:\\Program Files\\zntool\\uninstall.exe" /S || fail "uninstall.exe /S exited $?"
# The uninstaller runs on as a copy of itself in the temporary folder: wait for it to end.
wineserver -w
[ ! -e "$installed" ] || { find "$installed" | head; fail "the uninstaller left files behind"; }
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start menu entry"
if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\zntool' \
  >"$scratch/run/uninstall-key.out" 2>&1; then
  fail "the uninstaller left its registry key"
fi
echo "   everything removed"

say "all passed; screenshots in $shots"
ls -1 "$shots"
