#!/usr/bin/env bash
# Cross-builds the menu as a 32-bit Windows program, build-windows/bin/launcher.exe, and checks
# that it is a GUI program that carries its hand cursor and imports only DLLs that come with
# Windows (no mingw runtime DLL beside it on the disc).
# Usage: scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  -h|--help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  '') ;;
  *) echo "build-windows.sh: unknown argument: $1" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows --parallel "$(nproc)"

exe=build-windows/bin/launcher.exe
fail() { echo "build-windows.sh: $exe: $*" >&2; exit 1; }

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit Windows executable"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program (missing -mwindows?)"

system_dlls=" kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll "
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
  [[ "$system_dlls" == *" ${dll,,} "* ]] || fail "imports $dll, which Windows does not provide"
done

# Cursor group 102 is what LoadCursorA asks the program's instance for.
resources=$(i686-w64-mingw32-windres -J coff -O rc -i "$exe")
grep -q '^102 12 /\* RT_GROUP_CURSOR \*/' <<<"$resources" || fail "has no cursor group 102"

echo "$exe: imports" $imports
