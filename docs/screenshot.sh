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

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    ((tries > 0)) || return 1
    sleep 0.1
  done
}

read -r lot phone < <(awk -F'|' '/^repair:/ { sub(/^repair:/, "", $1); gsub(/ /, "", $1); gsub(/ /, "", $2); print $1, $2; exit }' "$records")

"$build/tools/morvessa-demo-server" --port 0 --records "$records" >"$work/server.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "listening on" "$work/server.log"
port=$(sed -n 's|.*listening on http://127\.0\.0\.1:\([0-9]*\).*|\1|p' "$work/server.log" | head -n 1)

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x500x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
wait_for 10 grep -q '[0-9]' "$work/display"
export DISPLAY=:$(head -n 1 "$work/display")

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
