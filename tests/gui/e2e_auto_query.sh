#!/usr/bin/env bash
# End-to-end run of the real program in an X server (Xvfb):
#   a copy of the program beside a settings file with auto-query on for the
#   first repair of the records file, pointed at the stand-in repair server;
#   the start-up query must reach the server, the window must appear, Esc
#   must end the program with exit code 0, and nothing but the program and
#   its settings file may be left in the program's directory.
# Usage: e2e_auto_query.sh PROGRAM DEMO_SERVER RECORDS_FILE
# Exits 77 (reported as skipped) when Xvfb or xdotool is missing.
set -euo pipefail

program=$1
demo_server=$2
records=$3

for tool in Xvfb xdotool iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

source "$(dirname "$0")/../support/x_demo_session.sh"
app_dir=$work/app
mkdir "$app_dir"

fail() {
  echo "FAIL: $*"
  echo "--- demo server output:"
  cat "$work/server.log" 2>/dev/null || true
  echo "--- program output:"
  cat "$work/program.log" 2>/dev/null || true
  exit 1
}

# The first repair of the records file: "repair: LOT | PHONE | ...".
read -r lot phone < <(first_repair "$records")
[ -n "$lot" ] && [ -n "$phone" ] || fail "no repair in $records"

# The stand-in server on a port the system picks.
start_demo_server "$demo_server" "$records" || fail "the demo server did not start"

# An X server on a free display.
start_xvfb 1024x768x24 || fail "Xvfb did not start"

# The program's copy and its settings file (GBK, CR LF lines).
cp "$program" "$app_dir/morvessa"
printf '[config]\r\n是否下次自动查询=1\r\nLOT编号=%s\r\n电话后6位=%s\r\n' "$lot" "$phone" | iconv -f UTF-8 -t GBK >"$app_dir/配置.ini"
cp "$app_dir/配置.ini" "$work/settings.orig"

# Started from another directory: the program finds its settings beside itself.
# In a sanitizer build, strict_string_checks is switched off for the program:
# libxkbcommon hands strndup key-map names that are not NUL-terminated, which
# is correct use of strndup but fails that check inside the X connection.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi
(cd "$work" && MORVESSA_SERVER=127.0.0.1:$port QT_QPA_PLATFORM=xcb exec "$app_dir/morvessa" >"$work/program.log" 2>&1) &
program_pid=$!
pids+=("$program_pid")

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Morvessa\(' | head -n 1) || fail "the window did not appear"
grep -q "LOT=$lot&Type=Tel&Param=$phone" "$work/server.log" || fail "the start-up query did not reach the server"

xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers Escape
status=0
wait_for 15 bash -c "! kill -0 $program_pid 2>/dev/null" || fail "Esc did not end the program"
wait "$program_pid" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status, expected 0"

cmp -s "$app_dir/配置.ini" "$work/settings.orig" || fail "the settings file changed"
left=$(cd "$app_dir" && ls -A | sort | tr '\n' ' ')
[ "$left" = "morvessa 配置.ini " ] || fail "the program's directory holds: $left"
echo "PASS: query reached the server, Esc ended the program with 0"
