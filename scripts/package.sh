#!/usr/bin/env bash
# Builds the Debian package build-pkg/tarvel_<version>_<arch>.deb (installs under /usr).
# Install it with: apt-get install ./build-pkg/tarvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEL_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-pkg -j"$(nproc)" --target package
ls build-pkg/tarvel_*.deb
