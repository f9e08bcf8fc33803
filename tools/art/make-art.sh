#!/bin/sh
# Draws every picture of resources/image: PNG icons with tools/art/trivane-art,
# then the animated GIFs and the Windows icon from its frames with ImageMagick.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "$here/../../resources/image" && pwd)
build=${TMPDIR:-/tmp}/trivane-art-build
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/trivane-art" "$out" "$frames"

# Spinners play on the overlay's black background; the click ripple is transparent.
convert -delay 7 -loop 0 "$frames"/star_*.png -layers Optimize "$out/star.gif"
convert -delay 5 -loop 0 "$frames"/connstar_*.png -layers Optimize "$out/ConnectionSettingsStar.gif"
convert -delay 4 -loop 0 -dispose Background "$frames"/click_*.png "$out/Mouse_click_feature.gif"
convert "$frames"/tray_16.png "$frames"/tray_32.png "$frames"/tray_48.png "$frames"/tray_256.png "$out/trayIcon.ico"
echo "pictures written to $out"
