#!/usr/bin/env bash
# Load on `novaflux serve` from wrk on the same machine: the SI design day POSTed to /api/rate
# at 1, 8 and 64 connections, each for DURATION seconds; ratings per second, p50 and p99
# latency, and the answers that were not 200.
#
#   bench/server_load.sh [BUILD_DIR] [DURATION]      default build-bench, 10 s
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
duration=${2:-10}
command -v wrk >/dev/null || { echo "wrk is not installed (Debian package wrk)" >&2; exit 1; }

log=$(mktemp)
script=$(mktemp --suffix=.lua)
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$log" "$script"' EXIT
"$build/bin/novaflux" serve --port 0 >"$log" 2>&1 &
server=$!
for _ in $(seq 100); do grep -q listening "$log" && break; sleep 0.05; done
url=$(grep -o 'http://[^ ]*' "$log")

cat >"$script" <<LUA
wrk.method = "POST"
wrk.body = io.open("$PWD/examples/si_design_day.json", "rb"):read("*all")
wrk.headers["Content-Type"] = "application/json"
done = function(summary, latency, requests)
  io.write(string.format("non-2xx or errors: %d\n", summary.errors.status + summary.errors.connect +
    summary.errors.read + summary.errors.write + summary.errors.timeout))
end
LUA
for connections in 1 8 64; do
  threads=$(( connections < 2 ? 1 : 2 ))
  echo "== $connections connections, $threads wrk threads, ${duration} s"
  wrk -t"$threads" -c"$connections" -d"${duration}s" --latency -s "$script" "${url}api/rate" |
    grep -E "Requests/sec|^ +50%|^ +99%|non-2xx"
done
