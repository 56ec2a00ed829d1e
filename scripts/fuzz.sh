#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for the given number of seconds (default 600), starting from seeds written by make_seeds.
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true

./scripts/install-deps.sh
if ! command -v clang++-14 >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
  [ "$(id -u)" -eq 0 ] || { echo "fuzz: clang-14 and libclang-rt-14-dev are needed (run as root)" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang-14 libclang-rt-14-dev
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DTARVEL_FUZZ=ON -DTARVEL_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//'))
fi
cmake --build build-fuzz --target make_seeds "${targets[@]}"
# Seeds are written by the program's own writers, so they follow the formats as they change.
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ./build-fuzz/bin/make_seeds build-fuzz/seeds

export ASAN_OPTIONS=detect_leaks=0
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  work=build-fuzz/corpus/$name
  mkdir -p "$work"
  echo "== $t for ${seconds}s"
  QT_QPA_PLATFORM=offscreen ./build-fuzz/bin/"$t" -max_total_time="$seconds" -max_len=1048576 \
    -artifact_prefix=build-fuzz/"$t"- "$work" build-fuzz/seeds/"$name" 2>&1 | tail -n 5
done
