#!/usr/bin/env bash
# The setup download through the model's chain against the bare WinInet downloader, 256 MiB
# from a private stand-in under Wine. Build first (scripts/build-x64).
# Run: tests/bench/setup_download_benchmark.sh [bytes]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
size=${1:-268435456}
port=${VEL_BENCH_PORT:-18971}
state=$(mktemp -d "${TMPDIR:-/tmp}/vel-bench.XXXXXX")
trap 'python3 "$root/tests/standin/service.py" stop --state "$state"; rm -rf "$state"' EXIT
python3 "$root/tests/standin/service.py" start --port "$port" --state "$state" >/dev/null
mib=$(python3 -c "print($size / 1048576.0)")
"$root/scripts/wine-session" "$root/scripts/wine-run" "$tree/bin/setup_download_benchmark.exe" \
  "http://127.0.0.1:$port/gen/$size" "$mib" | tr -d '\r'
# One chain download in a process of its own (peak working set, CPU per MiB), and the host's
# curl on the same file for comparison.
"$root/scripts/wine-session" "$root/scripts/wine-run" "$tree/bin/setup_download_benchmark.exe" \
  "http://127.0.0.1:$port/gen/$size" "$mib" --once | tr -d '\r'
python3 - "http://127.0.0.1:$port/gen/$size" "$mib" <<'PY'
import resource, subprocess, sys
url, mib = sys.argv[1], float(sys.argv[2])
subprocess.run(["curl", "-s", "-o", "/dev/null", url], check=True)
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print("host curl, one run: peak resident %.1f MiB, CPU %.1f ms per MiB" %
      (usage.ru_maxrss / 1024.0, (usage.ru_utime + usage.ru_stime) * 1000.0 / mib))
PY
