#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Arguments are passed to the program
# (for example --home DIR to keep the application folder elsewhere).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DTARVEL_TESTS=OFF
cmake --build build -j"$(nproc)"
exec ./build/bin/tarvel "$@"
