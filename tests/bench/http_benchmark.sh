#!/usr/bin/env bash
# Downloads a 256 MiB file from a private stand-in with both stacks (under Wine) and with
# the host's curl as the reference; prints MiB/s, the ratio to the reference and the CPU
# time per MiB. Build first (scripts/build-x64). Run: tests/bench/http_benchmark.sh [bytes]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
size=${1:-268435456}
port=${VEL_BENCH_PORT:-18951}
state=$(mktemp -d "${TMPDIR:-/tmp}/vel-bench.XXXXXX")
trap 'python3 "$root/tests/standin/service.py" stop --state "$state"; rm -rf "$state"' EXIT
python3 "$root/tests/standin/service.py" start --port "$port" --state "$state" >/dev/null
url="http://127.0.0.1:$port/gen/$size"

reference=$(python3 - "$url" "$state/ref.bin" <<'PY'
import resource, subprocess, sys, time
url, out = sys.argv[1], sys.argv[2]
start = time.monotonic()
subprocess.run(["curl", "-s", "-f", "-o", out, url], check=True)
elapsed = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
import os
mib = os.path.getsize(out) / 1048576.0
print("%.6f %.6f %.6f %.6f" % (mib, elapsed, mib / elapsed, (usage.ru_utime + usage.ru_stime) * 1000.0 / mib))
os.remove(out)
PY
)
read -r ref_mib ref_s ref_rate ref_cpu <<<"$reference"
lines=$("$root/scripts/wine-session" "$root/scripts/wine-run" "$tree/bin/http_benchmark.exe" "$url" | tr -d '\r')
echo "$lines"
printf 'curl-cli ok   %8.1f MiB %7.2f s %8.1f MiB/s %7.2f cpu-ms/MiB  (host reference)\n' \
  "$ref_mib" "$ref_s" "$ref_rate" "$ref_cpu"
echo "$lines" | awk -v ref="$ref_rate" '$3 != "" { rate = $7; printf "%-8s %.3f of the reference\n", $1, rate / ref }'
echo "curl stack cap: 20 MiB/s"
