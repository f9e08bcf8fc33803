#!/usr/bin/env bash
# Renders the pictures in screenshots/ under Xvfb against the device simulator
# (loopback only): the main window's console in Simplified Chinese and English
# at 1366x768 and 1920x1080 once the first heartbeat has answered, the link
# states of a silent device, and the connection and module-search dialogs in
# all three languages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target mainwindow_demo login_screenshots trivane-sim
out="$PWD/screenshots"

# $1 language value, $2 screen size, $3 picture, $4 "mute" for a silent device,
# $5 milliseconds between typing "(get,sw)" and the picture.
main_window() {
    local d port cport
    d=$(mktemp -d)
    mkdir -p "$d/app/ConfigurationFile/LoginSystem" "$d/config/Trivane"
    printf '[Account_type]\ntype=Admin\n' > "$d/app/ConfigurationFile/LoginSystem/LoginSystemConfig.ini"
    printf '[connect_type]\nType=TCP\n[deviceType]\nType=2\n' > "$d/app/ConfigurationFile/LoginSystem/connect_type.ini"
    ./build/trivane-sim --model 8x16 --type Orvex-Q --tcp 127.0.0.1:0 --udp off > "$d/sim.out" 2>&1 &
    local sim=$!
    for _ in $(seq 50); do grep -q '^READY' "$d/sim.out" && break; sleep 0.1; done
    port=$(sed -n 's/.*tcp=127.0.0.1:\([0-9]*\).*/\1/p' "$d/sim.out")
    if [ "${4:-}" = mute ]; then
        cport=$(sed -n 's/.*control=\([0-9]*\).*/\1/p' "$d/sim.out")
        exec 3<>"/dev/tcp/127.0.0.1/$cport"; echo "fault silence on" >&3; read -r -t 2 _ <&3 || true; exec 3>&-
    fi
    printf '[TCP_information]\nMyIP=127.0.0.1\nLocalIP=\nMyPort=%s\n' "$port" > "$d/app/ConfigurationFile/LoginSystem/TCPConfig.ini"
    printf '[General]\nLanguage=%s\n' "$1" > "$d/config/Trivane/Trivane.conf"
    TRIVANE_APP_DIR="$d/app" XDG_CONFIG_HOME="$d/config" TRIVANE_LAB=1 QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 ${2}x24" ./build/tests/mainwindow/mainwindow_demo \
        --shot "$out/$3" --settle "${5:-6500}" >/dev/null 2>&1 || echo "failed: $3" >&2
    kill "$sim" 2>/dev/null || true
    rm -rf "$d"
}

for size in 1366x768 1920x1080; do
    main_window zh_CN "$size" "main-console-simplified-$size.png"
    main_window en_US "$size" "main-console-english-$size.png"
    for lang in zh_CN en_US zh_TW; do
        TRIVANE_SIM="$PWD/build/trivane-sim" QT_QPA_PLATFORM=xcb \
            xvfb-run -a -s "-screen 0 ${size}x24" ./build/tests/login/login_screenshots "$out" "$lang" >/dev/null 2>&1 \
            || echo "failed: dialogs $lang $size" >&2
    done
done
main_window zh_CN 1366x768 main-waiting-simplified-1366x768.png mute 3000
main_window en_US 1366x768 main-not-answering-english-1366x768.png mute 9000
echo "pictures in $out"
