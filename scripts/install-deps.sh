#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Jyx needs.
# Non-interactive and idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  # tool chain
  build-essential cmake ninja-build pkg-config git ccache
  # Qt 6 widgets, multimedia (read-aloud playback) and the tools CMake's AUTOUIC uses
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
  # storage, network, formats
  libsqlcipher-dev sqlcipher sqlite3 libssl-dev libcurl4-openssl-dev libjsoncpp-dev
  libzip-dev libqrencode-dev libcpp-httplib-dev
  # speech and media
  libespeak-ng-dev espeak-ng-data libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth poppler-utils unzip
  # the Chinese faces the dialogs and printouts name (mapped by resources/fonts/fonts.conf)
  fontconfig fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
