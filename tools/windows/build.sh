#!/usr/bin/env bash
# Cross-builds zntool for Windows x86-64 and packs it as a zip and an NSIS installer, all in
# build-win64/.
#
# The Windows Qt (6.4.2, the version Debian ships, so Debian's own Qt tools serve as the host Qt)
# is built once per machine from Debian's source packages with MinGW-w64, only the modules the
# program uses, and kept in ${ZN_WIN_QT:-~/.cache/zntool/qt-6.4.2-mingw64}; a later run finds it
# there (its .complete marker is written last) and goes straight to the program.
#
#   tools/windows/build.sh            Qt if not yet built, then the program and its packs
#   tools/windows/build.sh --qt       Qt only
#   tools/windows/build.sh --program  the program and its packs; Qt must be built already
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
qt_version=6.4.2
qt=${ZN_WIN_QT:-$HOME/.cache/zntool/qt-$qt_version-mingw64}
# Sources and build trees of Qt, outside the repository; removable once Qt is built.
qt_work=${ZN_WIN_QT_WORK:-$HOME/.cache/zntool/qt-$qt_version-work}
out=$repo/build-win64
jobs=${ZN_JOBS:-2}
triple=x86_64-w64-mingw32
toolchain=$here/mingw64.cmake

want_qt=1
want_program=1
case "${1:-}" in
  "") ;;
  --qt) want_program=0 ;;
  --program) want_qt=0 ;;
  *) echo "usage: $0 [--qt | --program]" >&2; exit 2 ;;
esac

say() { printf '== %s\n' "$*"; }
die() { printf 'build.sh: %s\n' "$*" >&2; exit 1; }

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Installs whatever of these Debian packages is missing.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=1200 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=1200 install -y -qq --no-install-recommends "${missing[@]}"
}

# apt-get source needs a deb-src entry for the suite the binaries come from.
ensure_deb_src() {
  if grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
    /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  say "adding deb-src entries beside apt's deb entries"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/zntool-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/zntool-deb-src.list >/dev/null
  else
    die "no apt sources found to add deb-src entries to"
  fi
  $sudo apt-get -o DPkg::Lock::Timeout=1200 update -qq
}

# The tools of the cross build and of the packs.
need_packages g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  mingw-w64-x86-64-dev cmake ninja-build perl python3 dpkg-dev \
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n nsis zip

# Unpacks Debian's source of a Qt package in the work folder (once) and names its folder.
fetch_source() {
  local pkg=$1 dir
  dir=$(ls -d "$qt_work/$pkg-$qt_version"*/ 2>/dev/null | head -1)
  if [ -z "$dir" ]; then
    say "fetching Debian's source of $pkg" >&2
    (cd "$qt_work" && apt-get source -qq "$pkg" >&2) || die "apt-get source $pkg failed"
    dir=$(ls -d "$qt_work/$pkg-$qt_version"*/ 2>/dev/null | head -1)
    [ -n "$dir" ] || die "Debian's source of $pkg is not Qt $qt_version, the host Qt's version"
  fi
  echo "${dir%/}"
}

host_cmake=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake

# Qt is built in parts (qtbase, then each module), each marked in the Qt folder by .built-NAME
# holding the seconds it took, so a part is built once even when a later one fails.
qt_part_done() { [ -f "$qt/.built-$1" ]; }
qt_part_mark() { echo "$2" >"$qt/.built-$1"; }

# A Qt module on top of the Windows qtbase. A module whose source apt cannot fetch is left out
# (false), with a message; one that does not build ends the script.
build_module() {
  local name=$1 pkg=$2 src started
  qt_part_done "$name" && return 0
  started=$(date +%s)
  if ! src=$(fetch_source "$pkg"); then
    echo "build.sh: Qt $name left out: Debian's source of $pkg could not be fetched;" \
      "apt-get source takes its files (.dsc, .orig.tar.xz, .debian.tar.xz) from $qt_work" \
      "when they lie there" >&2
    return 1
  fi
  local dir=$qt_work/build-$name
  mkdir -p "$dir"
  say "building Qt module $name in $dir"
  if [ ! -f "$dir/build.ninja" ]; then
    (cd "$dir" && nice -n 19 "$qt/bin/qt-configure-module" "$src" -- \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake") || die "configuring $name failed"
  fi
  nice -n 19 cmake --build "$dir" --parallel "$jobs" || die "building $name failed"
  cmake --install "$dir" >/dev/null || die "installing $name failed"
  qt_part_mark "$name" $(($(date +%s) - started))
}

build_qtbase() {
  qt_part_done qtbase && return 0
  local started base_src
  started=$(date +%s)
  base_src=$(fetch_source qt6-base) || die "Debian's source of qt6-base could not be fetched"
  local dir=$qt_work/build-qtbase
  mkdir -p "$dir"
  if [ ! -f "$dir/build.ninja" ]; then
    say "configuring qtbase for $triple into $qt"
    # Only Core, Gui, Widgets (and what Charts needs); the third-party libraries
    # from Qt's own source, so the Windows Qt depends on nothing but MinGW. Debian took wintab
    # (the Windows tablet events) and iaccessible2 out of the source, so tablet events stay off.
    # Nothing here draws with Direct2D; Qt 6.4 builds its DirectWrite 3 font database into QtGui
    # only with Direct2D, yet qwindows.dll asks for it whenever DirectWrite 3 is on (as MinGW-w64
    # 12 offers it), so that is off too and fonts come through GDI, Qt's default on Windows.
    (cd "$dir" && nice -n 19 "$base_src/configure" -prefix "$qt" -release \
      -xplatform win32-g++ -device-option CROSS_COMPILE=$triple- \
      -qt-host-path /usr -nomake tests -nomake examples \
      -no-opengl -no-dbus -no-icu -no-glib -no-feature-sql -no-feature-network \
      -no-feature-testlib -no-feature-printsupport -no-feature-concurrent -no-feature-xml \
      -no-feature-vulkan -no-feature-tabletevent -no-feature-direct2d -no-feature-directwrite3 \
      -qt-zlib -qt-pcre -qt-freetype -qt-harfbuzz -qt-libpng -qt-libjpeg \
      -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR="$host_cmake") ||
      die "configuring qtbase failed"
  fi
  say "building qtbase (nice, $jobs jobs)"
  nice -n 19 cmake --build "$dir" --parallel "$jobs" || die "building qtbase failed"
  cmake --install "$dir" >/dev/null || die "installing qtbase failed"
  qt_part_mark qtbase $(($(date +%s) - started))
}

# True once every part is built; .complete, written last, holds the time they took together.
# The program needs qtbase and, for its trend charts, Qt Charts (the ports are listed through
# Windows' own device manager, so Qt SerialPort is not needed).
build_qt() {
  if [ -f "$qt/.complete" ]; then
    say "Windows Qt $qt_version already built in $qt ($(cat "$qt/.complete"))"
    return 0
  fi
  ensure_deb_src
  mkdir -p "$qt_work"
  build_qtbase
  build_module qtcharts qt6-charts || return 1
  local took=0 part
  for part in qtbase qtcharts; do took=$((took + $(cat "$qt/.built-$part"))); done
  printf 'built in %d min %d s, finished %s\n' $((took / 60)) $((took % 60)) \
    "$(date -u +%FT%TZ)" >"$qt/.complete"
  say "Windows Qt $qt_version built in $((took / 60)) min $((took % 60)) s"
}

version() {
  sed -nE 's/^set\(CPACK_PACKAGE_VERSION ([0-9.]+)\)/\1/p' "$repo/packaging/package.cmake"
}

# The DLLs a Windows binary imports that are ours to ship (Qt's, MinGW's), and theirs in turn;
# Windows' own are found in neither folder and left out.
copy_dlls() {
  local binary=$1 dest=$2 dll found folder
  for dll in $($triple-objdump -p "$binary" | sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p'); do
    [ -f "$dest/$dll" ] && continue
    found=""
    for folder in "$qt/bin" "${dll_folders[@]}"; do
      if [ -f "$folder/$dll" ]; then found=$folder/$dll; break; fi
    done
    [ -n "$found" ] || continue
    cp "$found" "$dest/$dll"
    copy_dlls "$dest/$dll" "$dest"
  done
}

# The installer's list of the staged files: an Install macro that puts each in its folder, and
# an Uninstall macro that deletes each and then the folders, deepest first, if emptied.
write_file_list() {
  local stage=$1 dir file
  echo '!macro Install'
  (cd "$stage" && find . -type d | sort) | while read -r dir; do
    (cd "$stage" && find "$dir" -maxdepth 1 -type f | sort) | {
      local first=1
      while read -r file; do
        if [ $first -eq 1 ]; then
          dir=${dir#.}
          printf '  SetOutPath "$INSTDIR%s"\n' "${dir//\//\\}"
          first=0
        fi
        printf '  File "%s"\n' "$stage/${file#./}"
      done
    }
  done
  echo '!macroend'
  echo '!macro Uninstall'
  (cd "$stage" && find . -type f | sort) | while read -r file; do
    file=${file#./}
    printf '  Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    dir=${dir#./}
    printf '  RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
  done
  echo '!macroend'
}

build_program() {
  qt_part_done qtbase || die "no Windows Qt in $qt: run $0 --qt first"
  qt_part_done qtcharts ||
    echo "build.sh: the Windows Qt has no Qt Charts (see above): the program is built without" \
      "trend charts, its Trend buttons say so" >&2
  need_packages qt6-base-dev qt6-base-dev-tools qt6-translations-l10n nsis zip
  local ver started
  ver=$(version)
  [ -n "$ver" ] || die "no version found in packaging/package.cmake"
  started=$(date +%s)

  say "building zntool $ver for Windows in $out"
  # Configured every run, so a Qt module built since is found.
  cmake -S "$repo" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -DBUILD_TESTING=OFF >/dev/null ||
    { rm -f "$out/CMakeCache.txt"; die "configuring the program failed"; }
  nice -n 19 cmake --build "$out" --parallel "$jobs" --target zntool zntool_console ||
    die "building zntool.exe and zntool.com failed"
  say "program built in $(($(date +%s) - started)) s"

  # One folder, as Windows keeps a program: zntool.exe (the window) and zntool.com (its twin for
  # the command line), the DLLs, the shipped settings in sys/ (the program copies them to the
  # user's own folder when it may not write them here), Qt's plugins and translations in their
  # folders, where qt.conf tells Qt to look.
  local name=zntool-$ver-win64
  local stage=$out/stage/$name
  rm -rf "$out/stage"
  mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/plugins/imageformats" \
    "$stage/translations" "$stage/sys"
  local p
  for p in zntool.exe zntool.com; do
    cp "$out/$p" "$stage/"
    $triple-strip "$stage/$p"
  done
  cp "$qt/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
  for p in "$qt"/plugins/styles/*.dll; do cp "$p" "$stage/plugins/styles/"; done
  cp "$qt/plugins/imageformats/qico.dll" "$stage/plugins/imageformats/"
  dll_folders=("$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")"
    /usr/$triple/lib)
  for p in "$stage"/zntool.exe "$stage"/zntool.com "$stage"/plugins/*/*.dll; do
    copy_dlls "$p" "$stage"
  done
  # Debugging symbols are no use to a user and take most of the DLLs' size.
  find "$stage" -name '*.dll' -exec $triple-strip --strip-unneeded {} +
  local must
  for must in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll Qt6Core.dll Qt6Widgets.dll; do
    [ -f "$stage/$must" ] || die "$must is missing beside zntool.exe"
  done
  printf '[Paths]\r\nPrefix = .\r\n' >"$stage/qt.conf"
  local qm
  qm=$(ls /usr/share/qt6/translations/qtbase_zh_CN.qm 2>/dev/null) ||
    die "qtbase_zh_CN.qm not found (Debian's qt6-translations-l10n)"
  cp "$qm" "$stage/translations/"
  cp "$repo"/sys/set.rc "$repo"/sys/set2.rc "$repo"/sys/tm.rc "$repo"/sys/kv.ic "$stage/sys/"

  say "packing $name.zip"
  rm -f "$out/$name.zip"
  (cd "$out/stage" && zip -qr -X "$out/$name.zip" "$name") || die "zip failed"

  say "making zntool-$ver-setup.exe"
  rm -f "$out/zntool-$ver-setup.exe"
  write_file_list "$stage" >"$out/stage/files.nsh"
  makensis -V2 -DVERSION="$ver" -DFILES="$out/stage/files.nsh" -DOUTFILE="$out/zntool-$ver-setup.exe" \
    -DICON="$repo/sys/kv.ic" "$repo/packaging/windows/zntool.nsi" || die "makensis failed"

  ls -l "$out/$name.zip" "$out/zntool-$ver-setup.exe"
  say "program and packs done in $(($(date +%s) - started)) s"
}

qt_whole=1
if [ "$want_qt" -eq 1 ]; then build_qt || qt_whole=0; fi
if [ "$want_program" -eq 1 ]; then build_program; fi
# Everything else is built; the missing chart is said last, where it is seen.
[ "$qt_whole" -eq 1 ] ||
  echo "build.sh: built WITHOUT trend charts: Debian's source of qt6-charts could not be" \
    "fetched; run again once apt-get source qt6-charts works (or its files lie in $qt_work)" >&2
