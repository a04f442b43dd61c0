#!/usr/bin/env bash
# Bootstrap's package steps against a stand-in apt-get, dpkg and dpkg-query that keep the
# machine's package state in files: a mirror whose i386 lists cannot be fetched, an install
# that cannot resolve, an interrupted run repaired by the next, and a machine whose 32-bit
# leg is turned off. Each run must finish, say in one line why the 32-bit run is skipped,
# record the decision, and leave the architectures as it found them.
set -uo pipefail
source_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vel-bootstrap-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/checkout" state="$work/state" stubs="$work/bin"
mkdir -p "$root/scripts/lib" "$state" "$stubs"
cp "$source_root/scripts/bootstrap" "$root/scripts/"
cp "$source_root/scripts/lib/leg32.sh" "$root/scripts/lib/"
cat >"$root/scripts/probe-32bit" <<'STUB'
#!/usr/bin/env bash
[ "${STUB_PROBE:-yes}" = yes ] && exit 0
echo "turned off by VEL_NO_32BIT=1"; exit 1
STUB
cat >"$stubs/sudo" <<'STUB'
#!/usr/bin/env bash
exec "$@"
STUB
# Packages without an architecture are always installed; i386 ones are listed in "installed".
cat >"$stubs/dpkg-query" <<'STUB'
#!/usr/bin/env bash
s=$STUB_STATE
case "$2" in
  *binary:Package*) while read -r p; do echo "ii  $p"; done <"$s/installed"; exit 0 ;;
esac
p=$3
case $p in *:i386) grep -qx "$p" "$s/installed" || exit 1 ;; esac
echo "install ok installed"
STUB
cat >"$stubs/dpkg" <<'STUB'
#!/usr/bin/env bash
s=$STUB_STATE
echo "dpkg $*" >>"$s/log"
case "$1" in
  --print-foreign-architectures) cat "$s/arches" ;;
  --add-architecture) echo "$2" >>"$s/arches"; rm -f "$s/lists-i386" ;;
  --remove-architecture) grep -vx "$2" "$s/arches" >"$s/arches.new"; mv "$s/arches.new" "$s/arches" ;;
  --audit) [ -f "$s/interrupted" ] && echo "wine32:i386 is not configured yet" ;;
  --configure) rm -f "$s/interrupted" ;;
esac
exit 0
STUB
cat >"$stubs/apt-get" <<'STUB'
#!/usr/bin/env bash
s=$STUB_STATE
echo "apt-get $*" >>"$s/log"
case " $* " in
  *" check "*) exit 0 ;;
  *" update "*)
    if grep -qx i386 "$s/arches"; then
      case " $STUB_FAIL " in *" lists "*)
        echo "E: File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2; exit 100 ;;
      esac
      touch "$s/lists-i386"
    fi
    exit 0 ;;
  *" install "*wine32:i386*)
    case " $STUB_FAIL " in *" install "*)
      echo "libcurl4:i386 : Depends: libbrotli1:i386 but it is not going to be installed" >&2; exit 100 ;;
    esac
    [ -f "$s/lists-i386" ] || { echo "E: Unable to locate package wine32:i386" >&2; exit 100; }
    echo wine32:i386 >>"$s/installed"; exit 0 ;;
  *" remove "*wine32:i386*) grep -vx wine32:i386 "$s/installed" >"$s/i.new"; mv "$s/i.new" "$s/installed"; exit 0 ;;
esac
exit 0
STUB
chmod +x "$root/scripts/probe-32bit" "$stubs"/*
: >"$state/arches"; : >"$state/installed"; : >"$state/log"

failures=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run_bootstrap() {  # STUB_FAIL words, then probe answer
  : >"$state/log"
  STUB_STATE=$state STUB_FAIL=$1 STUB_PROBE=${2:-yes} PATH="$stubs:$PATH" VEL_APT_RETRY_PAUSE=0 \
    "$root/scripts/bootstrap" --packages-only >"$work/out" 2>&1
}
record() { cat "$root/.deps/stamps/leg32" 2>/dev/null; }
skip_lines() { grep -c '^32-bit run skipped: ' "$work/out"; }

echo "-- the i386 lists cannot be fetched"
check "bootstrap finishes" run_bootstrap lists
check "one line says why" [ "$(skip_lines)" = 1 ]
check "the reason names the lists" grep -q '^32-bit run skipped: the i386 package lists could not be fetched' "$work/out"
check "the update was tried three times" [ "$(grep -c 'apt-get update' "$state/log")" -ge 3 ]
check "the i386 architecture it added is gone" [ ! -s "$state/arches" ]
check "the record says off, install" [ "$(record | cut -f 1,2)" = "off	install" ]

echo "-- the install cannot resolve"
check "bootstrap finishes" run_bootstrap install
check "the reason names wine32" grep -q '^32-bit run skipped: wine32:i386 could not be installed' "$work/out"
check "the i386 architecture it added is gone" [ ! -s "$state/arches" ]

echo "-- a run interrupted after adding i386, then the mirror heals"
echo i386 >"$state/arches"; touch "$root/.deps/stamps/i386-added" "$state/interrupted"
check "bootstrap finishes" run_bootstrap ""
check "the interrupted configure is finished" grep -q 'dpkg --configure -a' "$state/log"
check "wine32 is installed" grep -qx wine32:i386 "$state/installed"
check "no skip line" [ "$(skip_lines)" = 0 ]
check "the record says on" [ "$(record)" = on ]
check "the architecture stays, now in use" grep -qx i386 "$state/arches"

echo "-- a second run with everything present changes nothing"
check "bootstrap finishes" run_bootstrap lists
check "no list update, no install" bash -c "! grep -q 'apt-get \(update\|install\)' '$state/log'"
check "the record says on" [ "$(record)" = on ]

echo "-- the leg turned off on this machine"
check "bootstrap finishes" run_bootstrap "" no
check "wine32 is removed" bash -c "! grep -qx wine32:i386 '$state/installed'"
check "the reason is the probe's" grep -q '^32-bit run skipped: turned off by VEL_NO_32BIT=1' "$work/out"
check "the record says off, probe" [ "$(record | cut -f 1,2)" = "off	probe" ]

[ "${VEL_SHOW_OUTPUT:-0}" = 1 ] && cat "$work/out"
[ "$failures" = 0 ] || { echo "--- last bootstrap output:"; cat "$work/out"; exit 1; }
