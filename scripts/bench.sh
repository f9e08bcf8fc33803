#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them; each prints its
# figures and ratios. Everything runs on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j "$(nproc)" --target bench_dispatch bench_link_roundtrip bench_console_append bench_switching bench_output trivane-sim
export QT_QPA_PLATFORM=offscreen LANG=en_US.UTF-8
echo "== reply dispatcher, time per call"
./build-bench/bench/dispatch/bench_dispatch 2>&1 | grep -E 'RESULT|msecs|usecs|nsecs|per call' || true
echo "== \"(get,sw)\" round trip against the simulator"
./build-bench/bench/link/bench_link_roundtrip
echo "== console: cost of one line, empty vs full console"
./build-bench/bench/console/bench_console_append
echo "== switching page: click to painted tile, entering the page"
./build-bench/bench/switching/bench_switching
echo "== output page and port cards: reading, choosing, refreshing"
./build-bench/bench/output/bench_output
cmake --build build-bench -j "$(nproc)" --target bench_system && echo "== system settings and subtitles: dispatcher cuts, subtitle dialog, network sub-page" && ./build-bench/bench/system/bench_system
cmake --build build-bench -j "$(nproc)" --target bench_transfer && echo "== firmware transfer: 4 MiB over TCP with the console shown, the 50 ms polling design, 256 KiB over serial at 115200 baud" && ./build-bench/bench/transfer/bench_transfer
cmake --build build-bench -j "$(nproc)" --target bench_wall && echo "== video wall and partition pages: wall switch to painted screens, wall replaced by a size answer, partition group click" && ./build-bench/bench/wall/bench_wall
