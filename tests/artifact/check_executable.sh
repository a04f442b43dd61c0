#!/usr/bin/env bash
# Checks the shipped installer: a 32-bit GUI program that needs no DLL beyond Windows'
# own, asks for administrator rights, and carries its icon and both archives.
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*"; exit 1; }

kind=$(file -b "$exe")
case $kind in "PE32 executable (GUI) Intel 80386"*) ;; *) fail "not a 32-bit GUI program: $kind" ;; esac

allowed='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|ws2_32|wininet|crypt32|bcrypt|secur32|normaliz|wldap32|iphlpapi|msvcrt|msimg32|usp10|version|uxtheme|imm32|winmm|userenv|rpcrt4)\.dll$'
while read -r dll; do
  echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed" || fail "imports $dll"
done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')

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
