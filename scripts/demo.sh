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
mkdir -p "$demo/ConfigurationFile/LoginSystem"
# The simulator plays an Orvex-Q, which talks TCP: preselect that type once.
if [ ! -f "$demo/ConfigurationFile/LoginSystem/connect_type.ini" ]; then
    printf '[deviceType]\nType=2\n' > "$demo/ConfigurationFile/LoginSystem/connect_type.ini"
fi
export TRIVANE_APP_DIR="$demo" TRIVANE_LAB=1
export TRIVANE_DISCOVERY_PORT="${TRIVANE_DISCOVERY_PORT:-50000}"
# The connection dialog always uses the module's port 4001.
sim_port=4001

./build/trivane-sim --model 8x16 --type Orvex-Q --tcp "127.0.0.1:$sim_port" \
    --udp "127.0.0.1:$TRIVANE_DISCOVERY_PORT" --control 127.0.0.1:0 > "$demo/sim.out" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q '^READY' "$demo/sim.out" 2>/dev/null && break; sleep 0.1; done
if ! grep -q '^READY' "$demo/sim.out"; then
    echo "The simulator did not start (is port $sim_port or $TRIVANE_DISCOVERY_PORT in use?):" >&2
    cat "$demo/sim.out" >&2
    exit 1
fi
echo "Simulator: $(head -n1 "$demo/sim.out")"
echo "Log in as admin / 739204; the connection settings find the simulator's module (127.0.0.1) over TCP/IP."

if [ -n "${DISPLAY:-}" ]; then
    ./build/Trivane
else
    echo "No display: running under Xvfb; a screenshot lands in $demo/screenshot.png. Ctrl+C stops."
    xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
        ./build/Trivane & app=$!
        sleep 6; import -window root "'"$demo"'/screenshot.png" 2>/dev/null || true
        wait $app'
fi
