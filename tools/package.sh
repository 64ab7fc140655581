#!/usr/bin/env bash
# Builds the Debian package of the program and the simulator: installs what is missing, builds
# the two programs in build-package/ (or the folder given), and packs them with CPack.
# Install it with: sudo apt install ./build-package/zntool_*.deb
# Usage: tools/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
tools/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target zntool znsim zn_icon zn_package_files
(cd "$build" && cpack -G DEB)
ls -1 "$build"/zntool_*.deb
