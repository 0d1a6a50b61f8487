#!/usr/bin/env bash
# Takes docs/screenshot.png: the window after a query of the first sample
# repair against the stand-in server, in an Xvfb X server. The LOT and phone
# are typed and 查询 is pressed with xdotool, as a user would.
# Usage: docs/screenshot.sh [BUILD_DIR]   (default: build)
# Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=tools/sample-records.txt

source tests/support/x_demo_session.sh
read -r lot phone < <(first_repair "$records")
start_demo_server "$build/tools/morvessa-demo-server" "$records"
start_xvfb 800x500x24

# A copy without a settings file, so that nothing is queried at start-up.
cp "$build/src/gui/morvessa" "$work/morvessa"
MORVESSA_SERVER=127.0.0.1:$port QT_QPA_PLATFORM=xcb "$work/morvessa" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Morvessa\(' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool type --delay 20 "$lot"
xdotool key Tab
xdotool type --delay 20 "$phone"
xdotool key Tab space
wait_for 10 grep -q "LOT=$lot" "$work/server.log"
sleep 1
import -window "$window" docs/screenshot.png
echo "docs/screenshot.png: LOT $lot, phone $phone"
