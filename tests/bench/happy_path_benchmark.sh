#!/usr/bin/env bash
# The whole happy path of the test tree's installer with a large setup (64 MiB by default),
# clicked through by the flow table as a user would, against a private stand-in: the wall
# time of the run and how it splits, read from the installer's own log (start-up to the main
# window, the download, the setup until it reports, branding until the finish page).
# Build first (scripts/build-x64). Run: tests/bench/happy_path_benchmark.sh [MEBIBYTES]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
bin="$tree/bin"
mib=${1:-64}
# The test tree's origins name this port.
port=$(sed -n 's/^VEL_STANDIN_PORT:STRING=//p' "$tree/CMakeCache.txt")
salt=$(sed -n 's/^VEL_REPORT_SALT:STRING=//p' "$tree/CMakeCache.txt")
work=$(mktemp -d "${TMPDIR:-/tmp}/vel-happy.XXXXXX")
state="$work/standin"
trap 'python3 "$root/tests/standin/service.py" stop --state "$state" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

python3 "$root/tests/standin/service.py" start --port "$port" --state "$state" --salt "$salt" >/dev/null
python3 "$root/tests/standin/serve_campaign.py" --port "$port" --manifest "$root/tests/e2e/campaign.tsv" \
  --openid 10203 --setup "$bin/vel_standin_setup.exe" --size $((mib * 1048576))
exe="$work/VelPlayer9_ens_10203_bench.exe"
cp "$bin/VelPlayerInstaller.exe" "$exe"
record="$work/setup_command_line.txt"
printf '[setup]\r\nrecord=%s\r\nplayer=%s\r\nresult=success\r\n' "$(winpath "$record")" \
  "$(winpath "$bin/vel_standin_process.exe")" >"$work/standin_setup.ini"
export VEL_STANDIN_SETUP_INI VEL_STANDIN_PORT=$port
VEL_STANDIN_SETUP_INI=$(winpath "$work/standin_setup.ini")
mkdir -p "$work/shots"
export VEL_BENCH_INSTALL_DIR
VEL_BENCH_INSTALL_DIR=$(winpath "$work/VelPlayer9/")
"$root/scripts/wine-session" bash -c '
  # Into the run'"'"'s own folder, as an installed player names it, not the host'"'"'s root (Z:).
  wine reg add "HKCU\Software\Tessaro\VelPlayer9" /v InstallDir /t REG_SZ /d "$VEL_BENCH_INSTALL_DIR" /f >/dev/null 2>&1
  started=$(date +%s.%N)
  wine "$1" "$2" "$3" "$4" "$5" >/dev/null 2>&1 || true
  ended=$(date +%s.%N)
  echo "$started $ended" > "$6/wall"
  cp "$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/veldownloader_en/downloader.log" "$6/downloader.log" 2>/dev/null ||
    find "$WINEPREFIX/drive_c/users" -name downloader.log -exec cp {} "$6/downloader.log" \;
' _ "$bin/vel_e2e_flow_driver.exe" "$(winpath "$exe")" "$(winpath "$root/tests/e2e/flow_steps.tsv")" \
  "$(winpath "$work/shots")" "$(winpath "$record")" "$work"
python3 - "$work/downloader.log" "$work/wall" "$mib" <<'PY'
import datetime, sys
log, wall, mib = sys.argv[1], sys.argv[2], float(sys.argv[3])
marks = {"start": "start run", "window": "create main", "install": "install now:",
         "download_start": "start download player", "download_end": "download file success",
         "setup_start": "install player param", "setup_end": "player install sucess",
         "finish": "install finished, finish page"}
times = {}
previous = None
for raw in open(log, encoding="utf-8", errors="replace"):
    fields = raw.rstrip("\r\n").split("\t")
    if len(fields) >= 5:
        previous = datetime.datetime.strptime(fields[1], "%H:%M:%S.%f")
        text = fields[4]
    elif previous is not None:
        text = raw
    else:
        continue
    for name, needle in marks.items():
        if name not in times and needle in text:
            times[name] = previous
missing = [name for name in marks if name not in times]
if missing:
    sys.exit("happy path: the log lacks " + ", ".join(missing))
def span(a, b):
    return (times[b] - times[a]).total_seconds() * 1000
started, ended = map(float, open(wall).read().split())
print("happy path with a %.0f MiB setup: %.0f ms wall (process start to its end, Start clicked)" % (mib, (ended - started) * 1000))
print("  start-up to the main window   %7.0f ms" % span("start", "window"))
print("  window to Install (the flow)  %7.0f ms" % span("window", "install"))
print("  addresses, then download      %7.0f ms (%.1f MiB/s)" % (span("install", "download_end"), mib / (span("download_start", "download_end") / 1000)))
print("  setup until it reports        %7.0f ms" % span("setup_start", "setup_end"))
print("  branding to the finish page   %7.0f ms" % span("setup_end", "finish"))
print("  process start before the log, the flow's waits, Start and shutdown  %.0f ms" %
      ((ended - started) * 1000 - span("start", "finish")))
PY
