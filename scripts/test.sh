#!/usr/bin/env bash
# Installs what the tests need, starts the CUPS PDF queue, builds and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

./scripts/install-deps.sh
./scripts/start-cups.sh
cmake -S . -B "$build" -G Ninja -DTARVEL_TESTS=ON "$@"
cmake --build "$build" -j"$(nproc)"
cd "$build"
TARVEL_REQUIRE_PRINTING=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
