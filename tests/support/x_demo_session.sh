# Shell helpers for running the real program against the stand-in repair
# server in an Xvfb X server; sourced by the end-to-end test and by the
# screenshot script. After sourcing, $work is a fresh directory, and every
# process added to `pids` is stopped (and $work removed) when the script ends.

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

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    ((tries > 0)) || return 1
    sleep 0.1
  done
}

# Prints the LOT and phone of the first repair of records file $1
# ("repair: LOT | PHONE | ...").
first_repair() {
  awk -F'|' '/^repair:/ { sub(/^repair:/, "", $1); gsub(/ /, "", $1); gsub(/ /, "", $2); print $1, $2; exit }' "$1"
}

# Starts demo server $1 with records file $2 on a port the system picks,
# logging to $work/server.log, and sets `port`. Fails when it does not start.
start_demo_server() {
  "$1" --port 0 --records "$2" >"$work/server.log" 2>&1 &
  pids+=($!)
  wait_for 10 grep -q "listening on" "$work/server.log" || return 1
  port=$(sed -n 's|.*listening on http://127\.0\.0\.1:\([0-9]*\).*|\1|p' "$work/server.log" | head -n 1)
}

# Starts Xvfb on a free display with screen size $1 (WxHxDEPTH) and exports
# DISPLAY. Fails when it does not start.
start_xvfb() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  wait_for 10 grep -q '[0-9]' "$work/display" || return 1
  export DISPLAY=:$(head -n 1 "$work/display")
}
