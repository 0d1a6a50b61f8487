#!/usr/bin/env bash
# Whole-process time of one query: morvessa-query asking the stand-in repair
# server, next to curl fetching the same URL from the same server, measured
# with hyperfine. The URL is the one the client really sent, taken from the
# server's request log.
#
# Usage: bench/query-vs-curl.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
lot=R2611020137
phone=135790

log=$(mktemp)
"$build/tools/morvessa-demo-server" --port 0 --records tools/sample-records.txt >"$log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$log"' EXIT

for _ in $(seq 50); do
  grep -q '^listening on' "$log" && break
  sleep 0.1
done
address=$(sed -n 's|^listening on http://\([^ ]*\).*|\1|p' "$log")
[ -n "$address" ] || { echo "query-vs-curl: the demo server did not start" >&2; exit 1; }

# One query first: it must find the record, and it tells the URL to give curl.
"$build/tools/morvessa-query" --server "$address" "$lot" "$phone" >/dev/null
target=$(sed -n 's|^GET \(.*\) -> found$|\1|p' "$log" | head -n 1)
[ -n "$target" ] || { echo "query-vs-curl: the query did not reach the record" >&2; exit 1; }
url="http://$address$target"

hyperfine --shell=none --warmup 20 --min-runs 300 \
  --command-name morvessa-query "$build/tools/morvessa-query --server $address $lot $phone" \
  --command-name curl "curl -s -o /dev/null $url"
