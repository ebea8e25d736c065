#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks need, when missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config git ccache
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-httpserver-dev qt6-svg-dev qt6-websockets-dev qt6-qpa-plugins libgl-dev
    libmpv-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    libsqlite3-dev sqlite3 libssl-dev libxcb1-dev lld
    libgtest-dev libgmock-dev libbenchmark-dev
    dbus dbus-x11 xvfb xauth x11-utils xdotool imagemagick ffmpeg mpv curl clang qrencode
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
