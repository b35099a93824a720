#!/usr/bin/env bash
# scripts/build-windows.sh's checks of what it built fail when objdump cannot read it, instead of
# finding nothing wrong in an empty listing. The build and the binutils are stand-ins, so that
# nothing is built: cmake does nothing, objdump, windres and wrestool describe sound programs unless
# OBJDUMP_FAILS names the option (-p or -d) at which objdump fails.
# Usage: tests/scripts/build_windows_checks_test.sh
set -euo pipefail
script="$(cd "$(dirname "$0")/../../scripts" && pwd)/build-windows.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

stand_ins="$scratch/stand-ins"
mkdir "$stand_ins"
printf '#!/bin/sh\nexit 0\n' >"$stand_ins/cmake"
cat >"$stand_ins/i686-w64-mingw32-objdump" <<'STAND_IN'
#!/bin/sh
if [ "$1" = "$OBJDUMP_FAILS" ]; then echo "objdump: $2: file format not recognized" >&2; exit 3; fi
case $1 in
  -p) printf '%s:     file format pei-i386\n' "$2"
      printf 'Subsystem\t\t00000002\t(Windows GUI)\n\tDLL Name: KERNEL32.dll\n' ;;
  -d) printf '   0:\tc5 fc 11 04 24\tvmovups %%ymm0,(%%esp)\n' ;;
esac
STAND_IN
cat >"$stand_ins/i686-w64-mingw32-windres" <<'STAND_IN'
#!/bin/sh
printf '102 12 /* RT_GROUP_CURSOR */\n1 14 /* RT_GROUP_ICON */\n'
STAND_IN
# The script runs from the tree's root, where the manifest every program must carry lies.
printf '#!/bin/sh\ncat resources/windows_program.manifest\n' >"$stand_ins/wrestool"
chmod +x "$stand_ins"/*

failures=0
# objdump failing at, expected exit status, what stderr says
cases=(
  "none 0 "
  "-p   1 objdump cannot read its headers"
  "-d   1 objdump cannot disassemble"
)
for case in "${cases[@]}"; do
  read -r fails_at expected message <<<"$case"
  status=0
  PATH="$stand_ins:$PATH" OBJDUMP_FAILS=$fails_at timeout 60 \
    "$script" --build-dir "$scratch/build" >"$scratch/out" 2>"$scratch/err" || status=$?
  if [ "$status" != "$expected" ] ||
     { [ -n "$message" ] && ! grep -qF "build-windows.sh: " "$scratch/err"; } ||
     ! grep -qF "$message" <<<"$(cat "$scratch/err")"; then
    echo "FAILED: objdump failing at $fails_at: exit $status (expected $expected, '$message'):"
    cat "$scratch/out" "$scratch/err"
    failures=$((failures + 1))
  fi
done
echo "$failures failed"
[ "$failures" -eq 0 ]
