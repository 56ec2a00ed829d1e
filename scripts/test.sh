#!/usr/bin/env bash
# Installs what the tests need, starts the CUPS PDF queue, builds and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

./scripts/install-deps.sh
./scripts/start-cups.sh
# The shared-store tests need a PostgreSQL server: the caller's (TARVEL_TEST_PG_URL, as .ci/run
# starts one), else a throw-away one of our own; without any they are skipped.
if [ -z "${TARVEL_TEST_PG_URL:-}" ]; then
  if TARVEL_TEST_PG_URL=$(./scripts/start-postgres.sh 54331); then
    export TARVEL_TEST_PG_URL
  else
    echo "test.sh: no PostgreSQL test server; the shared-store tests are skipped" >&2
    unset TARVEL_TEST_PG_URL
  fi
fi
cmake -S . -B "$build" -G Ninja -DTARVEL_TESTS=ON "$@"
cmake --build "$build" -j"$(nproc)"
cd "$build"
TARVEL_REQUIRE_PRINTING=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
