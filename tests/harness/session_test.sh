#!/usr/bin/env bash
# The session scripts under real Wine and Xvfb: sessions started together get displays of
# their own, a test killed by a time-out keeps its output and leaves no file behind, the
# stand-in's start stops only a stand-in, and two runs with loopbacks of their own can both
# take the stand-in's port.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vel-session-test.XXXXXX")
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

echo "-- four sessions started together"
for n in 1 2 3 4; do
  VEL_USE_DISPLAY=0 "$root/scripts/wine-session" bash -c 'echo "$DISPLAY" >"$1"; sleep 2' _ "$work/display.$n" &
  pids+=($!)
done
wait "${pids[@]}"
pids=()
check "each has a display" [ "$(cat "$work"/display.* | grep -c '^:[0-9]')" = 4 ]
check "no two share one" [ "$(sort -u "$work"/display.* | wc -l)" = 4 ]

echo "-- a test ended by a time-out"
mkdir -p "$work/tmp"
for signal in TERM KILL; do
  TMPDIR="$work/tmp" "$root/scripts/wine-session" bash -c \
    'timeout -s '$signal' 5 "$1/scripts/wine-run" cmd.exe /c "echo started & ping -n 60 127.0.0.1 >nul"' \
    _ "$root" >"$work/run.$signal" 2>&1
  check "its output so far is kept ($signal)" grep -q started "$work/run.$signal"
done
check "no output file is left" [ -z "$(ls "$work/tmp" | grep vel-wine-run)" ]

echo "-- a stale pid file of the stand-in"
state="$work/standin"
mkdir -p "$state"
sleep 60 &
bystander=$!
pids+=("$bystander")
echo "$bystander" >"$state/service.pid"
python3 "$root/tests/standin/service.py" start --port 18951 --state "$state" >/dev/null
check "the process it names, not a stand-in, lives on" kill -0 "$bystander"
python3 "$root/tests/standin/service.py" stop --state "$state"

echo "-- two runs, each with a loopback of its own"
bind='import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 18931)); s.listen(); time.sleep(2)'
if "$root/scripts/own-loopback" true | grep -q 'own loopback unavailable'; then
  echo "skipped: $("$root/scripts/own-loopback" true)"
else
  VEL_IN_OWN_LOOPBACK=0 "$root/scripts/own-loopback" python3 -c "$bind" &
  first=$!
  VEL_IN_OWN_LOOPBACK=0 "$root/scripts/own-loopback" python3 -c "$bind" &
  second=$!
  check "the first took the port" wait "$first"
  check "the second took it too" wait "$second"
fi

[ "$failures" = 0 ]
