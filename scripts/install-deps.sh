#!/usr/bin/env bash
# Brings every Debian package the project needs onto the machine. Idempotent: when all
# of them are present it does nothing and says so.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools libqt6sql6-sqlite
  qt6-qpa-plugins libgl-dev libxkbcommon-dev
  libsqlite3-dev sqlite3
  # qt6-httpserver-dev's CMake files need Qt WebSockets', which bookworm does not pull in with it.
  qt6-httpserver-dev qt6-websockets-dev libqrencode-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool
  clang libclang-rt-dev clang-format
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
