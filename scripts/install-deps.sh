#!/usr/bin/env bash
# Installs every Debian package the program, its tests and its tools need.
# Idempotent: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git clang-format
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6printsupport6 qt6-image-formats-plugins
  libgl-dev libcups2-dev cups cups-client cups-bsd printer-driver-cups-pdf
  liborcus-dev libboost-dev libfreexl-dev libxlsxwriter-dev libsqlite3-dev
  fonts-noto-cjk poppler-utils xvfb xauth imagemagick xdg-utils
  qt6-translations-l10n openbox x11-utils
  dpkg-dev desktop-file-utils
  postgresql libqt6sql6-psql
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=sudo
  else
    echo "install-deps: root rights are needed to install: ${missing[*]}" >&2
    echo "install-deps: run this script as root (or with sudo)." >&2
    exit 1
  fi
else
  SUDO=
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
