#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite; with the default
# preset also the Windows cross-build's tests under Wine (scripts/test-windows.sh).
# Usage: scripts/test.sh [--preset default|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "test.sh: $1" >&2; usage >&2; exit 2; }

preset=default
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) [ -n "${2:-}" ] || wrong_usage "--preset needs a value"; preset="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) wrong_usage "unknown argument: $1" ;;
  esac
done

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" --parallel "$(nproc)"
# The Windows program and the image library built for Windows, run under Wine. Only with the
# default preset: the sanitizers exist for the Linux build alone (mingw-w64 has no ASan or UBSan
# runtime), so the sanitize preset has no Windows part. Built before the Linux suite, whose disc
# image tests put this build's launcher.exe on the disc instead of cross-building one of their own.
if [ "$preset" = default ]; then
  scripts/build-windows.sh --preset windows-tests
fi
ctest --preset "$preset" --parallel "$(nproc)"
if [ "$preset" = default ]; then
  scripts/test-windows.sh
fi
