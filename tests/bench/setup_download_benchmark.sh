#!/usr/bin/env bash
# The setup download, 256 MiB from a private stand-in, three ways in one Wine session: a bare
# InternetReadFile loop, the installer's own route (the model's chain over WinInet) and the
# host's curl. Each download runs in a process of its own, alternating the order, median of
# ROUNDS (5); its CPU time is the process's plus the Wine server's over the same time, since
# under Wine much of a WinInet transfer's work happens in the server.
# Build first (scripts/build-x64). Run: tests/bench/setup_download_benchmark.sh [bytes]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The test tree to measure: VEL_BENCH_TREE, e.g. build/i686-tests for the 32-bit build.
tree=$(cd "$root" && cd "${VEL_BENCH_TREE:-build/x64}" && pwd)
size=${1:-268435456}
port=${VEL_BENCH_PORT:-18971}
state=$(mktemp -d "${TMPDIR:-/tmp}/vel-bench.XXXXXX")
trap 'python3 "$root/tests/standin/service.py" stop --state "$state"; rm -rf "$state"' EXIT
python3 "$root/tests/standin/service.py" start --port "$port" --state "$state" >/dev/null
"$root/scripts/wine-session" python3 - "$tree/bin/setup_download_benchmark.exe" "http://127.0.0.1:$port/gen/$size" \
  "$size" "$state" "${VEL_BENCH_ROUNDS:-5}" <<'PY'
import os, resource, statistics, subprocess, sys, time
exe, url, size, state, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
mib = size / 1048576.0
tick = os.sysconf("SC_CLK_TCK")

def wineserver_pid():
    """The session's Wine server: the wineserver process started with this WINEPREFIX."""
    want = ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if want in f.read().split(b"\0"):
                    return pid
        except OSError:
            pass
    sys.exit("no Wine server for this session")

server = wineserver_pid()

def server_cpu():
    with open("/proc/%s/stat" % server) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick  # utime, stime

def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

def run(route):
    """Seconds, process CPU s, server CPU s, and the program's extra figures."""
    out = os.path.join(state, "curl.bin")
    command = {"bare": ["wine", exe, url, "--bare"], "chain": ["wine", exe, url, "--chain"],
               "curl": ["curl", "-s", "-f", "-o", out, url]}[route]
    printed = os.path.join(state, "printed")
    own, srv, start = children_cpu(), server_cpu(), time.monotonic()
    # Into a file, not a pipe: a Wine program may hand its output to background programs
    # that outlive it.
    with open(printed, "wb") as sink:
        subprocess.run(command, stdout=sink, stdin=subprocess.DEVNULL, check=True)
    elapsed = time.monotonic() - start
    own, srv = children_cpu() - own, server_cpu() - srv
    extra = {}
    if route == "curl":
        if os.path.getsize(out) != size:
            sys.exit("curl fetched %d bytes" % os.path.getsize(out))
        os.remove(out)
    else:
        with open(printed) as f:
            words = f.read().split()
        extra = dict(zip(words[1::2], map(float, words[2::2])))
        elapsed = extra["seconds"]
    return elapsed, own, srv, extra

routes = ["bare", "chain", "curl"]
results = {r: [] for r in routes}
for n in range(rounds):
    # Rotate the order so that no route always meets a warm or a busy disk cache.
    for route in routes[n % 3:] + routes[:n % 3]:
        results[route].append(run(route))

names = {"bare": "bare InternetReadFile loop", "chain": "installer's route (chain, WinInet)",
         "curl": "host curl"}
rates = {}
print("%d MiB, median of %d runs each; CPU per MiB = the process + the Wine server" % (mib, rounds))
for route in routes:
    runs = results[route]
    rates[route] = mib / statistics.median(r[0] for r in runs)
    own = statistics.median(r[1] for r in runs) * 1000.0 / mib
    srv = statistics.median(r[2] for r in runs) * 1000.0 / mib
    total = statistics.median((r[1] + r[2]) for r in runs) * 1000.0 / mib
    print("%-36s %8.1f MiB/s  CPU %6.2f ms/MiB (process %.2f, Wine server %.2f)" %
          (names[route], rates[route], total, own, srv))
chain = results["chain"]
print("installer's route against the bare loop: %.1f %% slower; peak working set %.1f MiB; "
      "progress tasks reaching the window thread %.2f per second" %
      ((rates["bare"] - rates["chain"]) / rates["bare"] * 100.0,
       statistics.median(r[3]["peak-working-set-mib"] for r in chain),
       statistics.median(r[3]["progress-tasks"] / r[0] for r in chain)))
PY
