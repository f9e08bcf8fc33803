#!/usr/bin/env bash
# Installs what is missing, builds Trivane and the device simulator, starts the
# simulator on loopback and runs the program against it.
#   - The program uses a scratch application directory (demo-run/) so that the
#     settings, logs and names of the demo stay out of the build tree.
#   - TRIVANE_LAB=1 keeps the network-module search on 127.0.0.1.
#   - Without a display the program runs under Xvfb and a screenshot is saved
#     as demo-run/screenshot.png after a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Trivane trivane-sim

demo="$PWD/demo-run"
mkdir -p "$demo"
export TRIVANE_APP_DIR="$demo" TRIVANE_LAB=1
export TRIVANE_DISCOVERY_PORT="${TRIVANE_DISCOVERY_PORT:-50000}"
sim_port="${TRIVANE_SIM_PORT:-4001}"

./build/trivane-sim --model 8x16 --type Orvex-Q --tcp "127.0.0.1:$sim_port" \
    --udp "127.0.0.1:$TRIVANE_DISCOVERY_PORT" --control 127.0.0.1:0 > "$demo/sim.out" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q '^READY' "$demo/sim.out" 2>/dev/null && break; sleep 0.1; done
echo "Simulator: $(head -n1 "$demo/sim.out")"
echo "Log in as admin / 739204; in the connection settings choose TCP and search for the module (127.0.0.1)."

if [ -n "${DISPLAY:-}" ]; then
    ./build/Trivane
else
    echo "No display: running under Xvfb; screenshot in $demo/screenshot.png"
    xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
        ./build/Trivane & app=$!
        sleep 6; xwd -root -silent | convert xwd:- "'"$demo"'/screenshot.png" 2>/dev/null || true
        wait $app'
fi
