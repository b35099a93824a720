#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in a private 32-bit prefix, creating the prefix on
# first use. CTest uses it as the cross-build's emulator; the end-to-end tests start programs
# through it too.
# Usage: run-with-wine.sh PREFIX-DIR PROGRAM.exe [ARGUMENT...]
# Exits with the program's exit code (modulo 256, as Wine hands it to the Unix parent).
set -euo pipefail

if [ $# -lt 2 ]; then
  sed -n '5p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
prefix=$1
shift

export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=-all
# Without these overrides the first start of a prefix offers to download Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Parallel tests may all find the prefix missing: one creates it while the others wait.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/system.reg" ]; then
  # No display while the prefix is made: nothing of it needs one, and none pops up.
  DISPLAY='' wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
flock --unlock 9
exec 9>&-

exec wine "$@"
