#!/usr/bin/env bash
# Installs, from Debian's packages, whatever of the build, run and test needs is missing.
set -euo pipefail
packages=(
  cmake make g++ pkg-config clang-format
  qt6-base-dev libasound2-dev libgtest-dev qt6-serialport-dev dpkg-dev file lintian
  qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
  fonts-wqy-microhei
  xvfb xauth x11-utils imagemagick dbus-x11 at-spi2-core python3-pyatspi
  python3-pymodbus python3-serial python3-serial-asyncio mbpoll socat ser2net
  libmosquitto-dev mosquitto mosquitto-clients systemd man-db openssl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
