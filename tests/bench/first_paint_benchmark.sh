#!/usr/bin/env bash
# Process start to the first paint of the main window, the installer of the test tree beside
# a bare Win32 window, median of RUNS (default 10), and the shipped executable's size.
# Build first (scripts/build and scripts/build-x64). Run: tests/bench/first_paint_benchmark.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
bin="$tree/bin"
work=$(mktemp -d "${TMPDIR:-/tmp}/vel-paint.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Named like a campaign copy.
cp "$bin/VelPlayerInstaller.exe" "$work/VelPlayer9_ens_12345_x.exe"
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
"$root/scripts/wine-session" "$root/scripts/wine-run" "$bin/first_paint_benchmark.exe" \
  "$(winpath "$work/VelPlayer9_ens_12345_x.exe")" "$(winpath "$bin/bare_window.exe")" "${1:-10}" | tr -d '\r'
if [ -f "$root/build/bin/VelPlayerInstaller.exe" ]; then
  echo "shipped executable: $(stat -c %s "$root/build/bin/VelPlayerInstaller.exe") bytes"
fi
