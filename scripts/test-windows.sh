#!/usr/bin/env bash
# Cross-builds the menu and the image library's tests for 32-bit Windows, checks launcher.exe as
# scripts/build-windows.sh does, and runs under Wine both the library's unit tests and the
# end-to-end tests of launcher.exe on virtual desktops in Xvfb. Wine's prefixes live in the
# build folder and are made on first use.
# Usage: scripts/test-windows.sh [--build-dir DIR]   (default build-windows-tests/)
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "test-windows.sh: $1" >&2; usage >&2; exit 2; }

build_dir=build-windows-tests
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) [ -n "${2:-}" ] || wrong_usage "--build-dir needs a value"; build_dir="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) wrong_usage "unknown argument: $1" ;;
  esac
done

# Installs what is missing (mingw-w64, GoogleTest's sources, Wine, Xvfb and the X tools).
scripts/build-windows.sh --preset windows-tests --build-dir "$build_dir"
# One Wine server for the unit tests' prefix, for the whole run. A server that wine starts itself
# exits 3 s after its last program, and a test started in that moment meets a closing server and
# fails ("recvmsg: Connection reset by peer"). The server the build's test listing left running
# gives way to one that stays, and wineboot starts Wine's own background programs with it: they
# live as long as the server and would otherwise hold the first test's output open until its
# time-out.
prefix="$(realpath -m "$build_dir/wineprefix")"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1 || true
cmake/toolchains/run-with-wine.sh "$prefix" wineboot </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# The test preset's settings, on whichever folder was built.
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error --timeout 300 \
  --parallel "$(nproc)"
