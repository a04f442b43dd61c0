#!/usr/bin/env bash
# Checks the shipped installer: a 32-bit GUI program that needs no DLL beyond Windows'
# own (statically only those the system maps itself), asks for administrator rights,
# carries its icon and both archives, and stays within its download size.
set -euo pipefail
exe=$1
delay_lists=${2:-}  # the folder of the delay-loaded DLLs' function lists (<name>.def)
fail() { echo "FAIL: $*"; exit 1; }

kind=$(file -b "$exe")
case $kind in "PE32 executable (GUI) Intel 80386"*) ;; *) fail "not a 32-bit GUI program: $kind" ;; esac

# Everyone downloads this file first: growth past the limit must be seen, and chosen.
limit=1572864
size=$(stat -c %s "$exe")
[ "$size" -le "$limit" ] || fail "$size bytes, above the size limit of $limit bytes (1.5 MiB)"

# Statically imported DLLs are loaded before any of the installer's code runs, from the
# executable's folder first unless the system maps them itself: only KnownDLLs of both
# Windows 7 and Windows 10 may be imported so, and comctl32, which the manifest takes from
# the side-by-side store. Every other DLL is delay-loaded (cmake/delay_load.cmake).
allowed='^(advapi32|comdlg32|gdi32|imagehlp|imm32|kernel32|msvcrt|normaliz|ole32|oleaut32|psapi|rpcrt4|setupapi|shell32|shlwapi|user32|wldap32|ws2_32|comctl32)\.dll$'
while read -r dll; do
  echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed" || fail "statically imports $dll"
done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')

# A function of a delay-loaded DLL imported statically from another DLL: the toolchain's
# gdi32 import library names Uniscribe's functions, which gdi32.dll exports only from
# Windows 10 on, so such an import keeps the installer from starting on Windows 7.
if [ -n "$delay_lists" ]; then
  delayed=$(cat "$delay_lists"/*.def | grep -Ev '^(LIBRARY|EXPORTS)' | sort -u)
  [ -n "$delayed" ] || fail "no function lists in $delay_lists"
  imported=$(i686-w64-mingw32-objdump -p "$exe" |
    awk '/DLL Name:/ {dll=$3} NF==3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll, $3}')
  while read -r dll function; do
    [ -n "$function" ] || continue
    grep -qxF "$function" <<<"$delayed" && fail "imports $function statically from $dll; it is delay-loaded"
  done <<<"$imported"
fi

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -qi 'large address aware' <<<"$headers" || fail "not large-address-aware"

rc=$(mktemp)
trap 'rm -f "$rc"' EXIT
i686-w64-mingw32-windres -i "$exe" -O rc -o "$rc"
grep -q 'requireAdministrator' "$rc" || fail "the manifest does not require administrator rights"
grep -q 'Microsoft.Windows.Common-Controls' "$rc" || fail "no Common Controls 6 in the manifest"
grep -q 'supportedOS' "$rc" && fail "the manifest declares supportedOS entries"
grep -Eq "^107 14 " "$rc" || fail "no icon group 107"
grep -Eq "^129 \"ZIPRES\"" "$rc" || fail "no ZIPRES 129"
grep -Eq "^130 \"ZIPRES\"" "$rc" || fail "no ZIPRES 130"
grep -q 'VS_VERSION_INFO\|VERSIONINFO' "$rc" || fail "no version information"
echo "shipped executable: ok"
