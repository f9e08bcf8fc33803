#!/usr/bin/env bash
# Renders the pictures in screenshots/ under Xvfb against the device simulator
# (loopback only): the main window's console in Simplified Chinese and English
# at 1366x768 and 1920x1080 once the first heartbeat has answered, the link
# states of a silent device, the connection and module-search dialogs in all
# three languages, the switching page of three matrix sizes after routing,
# the channel rename page, the scene polling dialog, and the output, port
# status, EDID and CEC pages of an 8x16 device, every system settings
# sub-page, the versions of two sizes, the subtitle dialog, file transfers,
# and the (hidden) video-wall and partition pages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target mainwindow_demo login_screenshots trivane-sim
out="$PWD/screenshots"

# Operator names as a site would have them (inputs, outputs, scenes).
write_names() {
    {
        echo '[toolButton_HDMI]'
        local i=0
        for n in "Lectern PC" "Document Cam" "Blu-ray" "Laptop HDMI" "Camera 1" "Camera 2" "Media Player" "Video Conf" \
                 "Signage" "Satellite" "Guest 1" "Guest 2" "Stage Left" "Stage Right" "Spare 15" "Spare 16"; do
            echo "toolButton_value$i=$n"; i=$((i + 1))
        done
        echo '[pushButton_OutPutHDMI]'
        i=0
        for n in "Main Screen" "Left Wall" "Right Wall" "Confidence" "Foyer" "Overflow" "Stream" "Recorder" \
                 "Room B" "Room C" "Bar" "Lobby" "Press" "Green Room" "Control" "Spare"; do
            echo "OutPutHDMI_value$i=$n"; i=$((i + 1))
        done
        echo '[pushButton_scene]'
        echo 'pushButton_scene_value0=Lecture'; echo 'pushButton_scene_value1=Panel'; echo 'pushButton_scene_value3=Film'
        echo 'pushButton_scene_value6=Video conf'
    } > "$1/SignalSwitching.ini"
}

# EDID slot names and a CEC panel as an AV room would have them.
write_device_settings() {
    printf '[EDIDSET]\nEDID1=Lectern PC 4K\nEDID2=Camera 1080p\n' > "$1/edidSetting.ini"
    {
        local captions=("Power on" "Standby" "Volume +" "Volume -" "Mute" "Input HDMI 1" "Input HDMI 2" "Menu")
        local orders=("(cec,1,44,6D)" "(cec,1,36)" "(cec,1,44,41)" "(cec,1,44,42)" "(cec,1,44,43)"
            "(cec,2,82,10,00)" "(cec,2,82,20,00)" "(cec,1,44,09)")
        echo '[CECTEXT]'
        for i in "${!captions[@]}"; do echo "$((i + 1))\\Text=${captions[$i]}"; done
        echo "size=${#captions[@]}"
        echo '[CECTORDER]'
        for i in "${!orders[@]}"; do echo "$((i + 1))\\Order=\"${orders[$i]}\""; done
        echo "size=${#orders[@]}"
    } > "$1/cecSetConfig.ini"
}

# $1 language value, $2 screen size, $3 picture, $4 "mute" for a silent device,
# $5 milliseconds between typing "(get,sw)" and the picture, $6 model, $7 page,
# $8 routes clicked on page 0, $9 requests sent first, $10 simulator control
# commands given first ("fault packetdelay 10;...").
main_window() {
    local d port cport
    d=$(mktemp -d)
    mkdir -p "$d/app/ConfigurationFile/LoginSystem" "$d/config/Trivane"
    printf '[Account_type]\ntype=Admin\n' > "$d/app/ConfigurationFile/LoginSystem/LoginSystemConfig.ini"
    printf '[connect_type]\nType=TCP\n[deviceType]\nType=2\n' > "$d/app/ConfigurationFile/LoginSystem/connect_type.ini"
    ./build/trivane-sim --model "${6:-8x16}" --type Orvex-Q --tcp 127.0.0.1:0 --udp off > "$d/sim.out" 2>&1 &
    local sim=$!
    for _ in $(seq 50); do grep -q '^READY' "$d/sim.out" && break; sleep 0.1; done
    port=$(sed -n 's/.*tcp=127.0.0.1:\([0-9]*\).*/\1/p' "$d/sim.out")
    cport=$(sed -n 's/.*control=\([0-9]*\).*/\1/p' "$d/sim.out")
    control() { exec 3<>"/dev/tcp/127.0.0.1/$cport"; echo "$1" >&3; read -r -t 2 _ <&3 || true; exec 3>&-; }
    if [ "${4:-}" = mute ]; then
        control "fault silence on"
    fi
    local IFS_saved=$IFS command
    IFS=';'
    for command in ${10:-}; do control "$command"; done
    IFS=$IFS_saved
    if [ -n "${7:-}" ]; then
        write_names "$d/app/ConfigurationFile/LoginSystem"
        write_device_settings "$d/app/ConfigurationFile/LoginSystem"
        # Stored scenes, a source without signal (input 3) and one in 4K.
        for scene in 1 2 4 7; do control "panel save $scene"; done
        control "set res 2 3840x2160@30Hz"
        local inputs=${6%%x*} status=Y
        while [ ${#status} -lt "${inputs:-4}" ]; do status="${status}Y"; done
        control "set status in ${status:0:2}N${status:3}"
    fi
    printf '[TCP_information]\nMyIP=127.0.0.1\nLocalIP=\nMyPort=%s\n' "$port" > "$d/app/ConfigurationFile/LoginSystem/TCPConfig.ini"
    printf '[General]\nLanguage=%s\n' "$1" > "$d/config/Trivane/Trivane.conf"
    TRIVANE_APP_DIR="$d/app" XDG_CONFIG_HOME="$d/config" TRIVANE_LAB=1 QT_QPA_PLATFORM=xcb \
        TRIVANE_HIDDEN_PAGES="${HIDDEN_PAGES:-0}" xvfb-run -a -s "-screen 0 ${2}x24" ./build/tests/mainwindow/mainwindow_demo \
        --shot "$out/$3" --settle "${5:-6500}" --page "${7:-console}" --routes "${8:-}" --send "${9:-}" \
        >/dev/null 2>&1 || echo "failed: $3" >&2
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
for size in 1366x768 1920x1080; do
    for lang in zh_CN:simplified en_US:english; do
        main_window "${lang%%:*}" "$size" "switching-4x4-${lang##*:}-$size.png" "" 2500 4x4 switching "2:1,3:2,1:4"
        main_window "${lang%%:*}" "$size" "switching-8x9-${lang##*:}-$size.png" "" 2500 8x9 switching \
            "5:1,2:2,2:3,6:5,8:9"
        main_window "${lang%%:*}" "$size" "switching-16x16-${lang##*:}-$size.png" "" 2500 16x16 switching \
            "2:1,1:2,1:3,4:4,12:7,9:16"
        main_window "${lang%%:*}" "$size" "rename-${lang##*:}-$size.png" "" 2000 16x16 rename
        main_window "${lang%%:*}" "$size" "scene-polling-${lang##*:}-$size.png" "" 1500 8x16 polling "" \
            "(scene,list,4,2,7);(scene,time,30)"
        main_window "${lang%%:*}" "$size" "output-${lang##*:}-$size.png" "" 2000 8x16 output "" \
            "(set,o.res,3,12);(set,brightness,3,70);(set,contrast,3,45);(set,ext.audio,3,1)"
        main_window "${lang%%:*}" "$size" "port-status-${lang##*:}-$size.png" "" 2500 8x16 portstatus "" \
            "(set,o.res,2,13);(set,o.res,5,3)"
        main_window "${lang%%:*}" "$size" "edid-${lang##*:}-$size.png" "" 2000 8x16 edid "" "(edid,config,5,10)"
        main_window "${lang%%:*}" "$size" "cec-${lang##*:}-$size.png" "" 1500 8x16 cec
        for sub in Modelsetting UserManagement IPSettings FirmwareUpdate Equipment_control LanguageSet; do
            main_window "${lang%%:*}" "$size" "system-$sub-${lang##*:}-$size.png" "" 2500 8x16 "system-$sub"
        done
        main_window "${lang%%:*}" "$size" "about-8x16-${lang##*:}-$size.png" "" 2500 8x16 about
        main_window "${lang%%:*}" "$size" "about-4x4-${lang##*:}-$size.png" "" 2500 4x4 about
        main_window "${lang%%:*}" "$size" "subtitle-${lang##*:}-$size.png" "" 2000 8x16 subtitle "" \
            "(set,osd,2,1,3,4,Welcome)"
        main_window "${lang%%:*}" "$size" "firmware-progress-${lang##*:}-$size.png" "" 4500 8x16 transfer-firmware \
            "" "" "fault packetdelay 8"
        main_window "${lang%%:*}" "$size" "firmware-done-${lang##*:}-$size.png" "" 4600 8x16 transfer-firmware-done \
            "" "" "fault packetdelay 8"
        main_window "${lang%%:*}" "$size" "edid-upload-${lang##*:}-$size.png" "" 3000 8x16 transfer-edid
        main_window "${lang%%:*}" "$size" "firmware-refused-${lang##*:}-$size.png" "" 2200 8x16 transfer-refused
        # The wall and splitter pages are not offered to operators; the lab
        # setting brings their buttons back for these pictures.
        HIDDEN_PAGES=1 main_window "${lang%%:*}" "$size" "splicing-2x2-${lang##*:}-$size.png" "" 2500 8x16 splicing "" \
            "(set,splicermode,1,2,2);(set,splicerpos,1,1,1,1);(set,splicerpos,1,2,1,2);(set,splicerpos,1,5,2,1);(set,splicerpos,1,6,2,2);(sw,2,1,2,5,6);(set,splicerbord,1,12,8)"
        HIDDEN_PAGES=1 main_window "${lang%%:*}" "$size" "partition-mode3-${lang##*:}-$size.png" "" 2000 8x16 partition "" \
            "(set,splitmode,1,3);(set,splitavsw,1,1,1);(set,splitavsw,1,2,2);(set,splitavsw,1,4,3);(set,splitavsw,1,3,4)"
    done
done
main_window zh_CN 1366x768 main-waiting-simplified-1366x768.png mute 3000
main_window en_US 1366x768 main-not-answering-english-1366x768.png mute 9000
echo "pictures in $out"
