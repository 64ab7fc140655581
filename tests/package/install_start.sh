#!/usr/bin/env bash
# The installable program: builds the Debian package from the build tree, unpacks it into a
# temporary root, checks what it installs, and starts the installed program under Xvfb from a
# home folder with no sys/: it must fill ~/.local/share/zntool/sys from the shipped defaults and
# show its main window. A screenshot goes to OUT_DIR.
# Usage: install_start.sh CPACK BUILD_DIR OUT_DIR. A missing tool fails it.
set -euo pipefail

source "$(dirname "$0")/../support/xtest.sh"

fail() {
  echo "FAIL: $*"
  exit 1
}

[ $# -eq 3 ] || { echo "usage: $0 CPACK BUILD_DIR OUT_DIR" >&2; exit 2; }
cpack=$1 build=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)

for tool in dpkg-deb dpkg-shlibdeps file lintian Xvfb xwininfo import systemd-analyze man; do
  command -v "$tool" >/dev/null || missing "$tool"
done

work=$(mktemp -d)
tool="" XVFB_PID=""
cleanup() {
  stop_process "$tool"
  stop_process "$XVFB_PID"
  rm -rf "$work"
}
trap cleanup EXIT

# The package, as tools/package.sh makes it.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6serialport6 libasound2; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done

# Debian's rules for a binary package: any error or warning fails (notes and hints do not).
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || {
  cat "$work/lintian.log"
  fail "lintian finds the package breaks Debian's rules"
}
cat "$work/lintian.log"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/zntool usr/bin/znsim; do
  [ -x "$root/$file" ] || fail "$file is not installed"
done
for file in set.rc set2.rc tm.rc kv.ic; do
  [ -s "$root/usr/share/zntool/sys/$file" ] || fail "the default sys/$file is not installed"
done
desktop=$root/usr/share/applications/zntool.desktop
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx "Exec=zntool" "$desktop" && grep -qx "Icon=zntool" "$desktop" ||
  fail "the desktop entry does not start zntool with its icon"
icon=$root/usr/share/icons/hicolor/32x32/apps/zntool.png
file "$icon" | grep -q "PNG image data, 32 x 32" || fail "the menu icon is not a 32x32 PNG: $(file "$icon")"
"$root/usr/bin/znsim" --help >/dev/null || fail "the installed simulator does not start"

# The watcher's service, checked by systemd as an instance would run: its program and manual page
# are taken from the unpacked package, where /usr/bin and the manual would have them.
unit=$root/lib/systemd/system/zntool-watch@.service
[ -f "$unit" ] || fail "the watcher's service is not installed"
grep -q '^ExecStart=/usr/bin/zntool watch --line /etc/zntool/%i.json' "$unit" ||
  fail "the service does not watch /etc/zntool/%i.json"
mkdir -p "$work/units"
sed "s|/usr/bin/zntool|$root/usr/bin/zntool|" "$unit" >"$work/units/zntool-watch@.service"
ln -s zntool-watch@.service "$work/units/zntool-watch@plant.service"
MANPATH=$root/usr/share/man systemd-analyze verify "$work/units/zntool-watch@plant.service" \
  >"$work/verify.log" 2>&1 || { cat "$work/verify.log"; fail "systemd-analyze verify refuses the service"; }

# A first start from a folder without sys/, as from the desktop menu.
home=$work/home
mkdir -p "$home/Desktop"
start_xvfb "$work" 1024x768x24
(cd "$home/Desktop" &&
  exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u WAYLAND_DISPLAY HOME="$home" \
    XDG_RUNTIME_DIR="$work" \
    "$root/usr/bin/zntool" >"$work/zntool.log" 2>&1) &
tool=$!
title="ORMELIX模块调试软件_V1.42S"
if ! wait_until 60 viewable "$title"; then
  xwininfo -root -tree | head -20
  cat "$work/zntool.log"
  fail "the installed program shows no window titled $title"
fi
kill -0 "$tool" 2>/dev/null || fail "the installed program ended"
import -window root "$out/installed-main.png"

settings=$home/.local/share/zntool/sys
for file in set.rc set2.rc tm.rc kv.ic; do
  [ -s "$settings/$file" ] || fail "$settings/$file was not filled from the shipped defaults"
done
cmp -s "$settings/tm.rc" "$root/usr/share/zntool/sys/tm.rc" || fail "tm.rc differs from the shipped one"
[ ! -e "$home/Desktop/sys" ] || fail "the program made sys/ in the folder it was started from"
echo "the installed program seeded $settings and shows its main window; screenshot: $out/installed-main.png"
