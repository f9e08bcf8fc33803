#!/usr/bin/env bash
# Installs what is missing, builds Trivane with its tests, runs every test, then
# runs the suite once more under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

jobs=$(nproc)
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIVANE_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300)

# The reply parser under libFuzzer for a bounded time (clang only builds this one target),
# starting from the seed corpus of answer forms (fuzz/make_corpus.py); new finds stay in build-fuzz.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DTRIVANE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_dispatch
mkdir -p build-fuzz/corpus
ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz/fuzz_dispatch -max_total_time=20 -max_len=8192 \
    -rss_limit_mb=4096 -dict=fuzz/dispatch.dict build-fuzz/corpus fuzz/corpus 2>&1 | tail -n 3

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRIVANE_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" --timeout 600 -LE nosanitize)
