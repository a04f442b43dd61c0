#!/usr/bin/env bash
# Times addEvent and sendEvent on the caller's thread while a private stand-in holds every
# post for 5 s (under Wine). Build first (scripts/build-x64). Run: tests/bench/telemetry_benchmark.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
port=${VEL_BENCH_PORT:-18953}
state=$(mktemp -d "${TMPDIR:-/tmp}/vel-bench.XXXXXX")
trap 'python3 "$root/tests/standin/service.py" stop --state "$state"; rm -rf "$state"' EXIT
python3 "$root/tests/standin/service.py" start --port "$port" --state "$state" >/dev/null
VEL_STANDIN_PORT=$port "$root/scripts/wine-session" "$root/scripts/wine-run" "$tree/bin/telemetry_benchmark.exe" | tr -d '\r'
