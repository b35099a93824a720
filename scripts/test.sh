#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite; with the default
# preset also the Windows cross-build's tests under Wine (scripts/test-windows.sh).
# Usage: scripts/test.sh [--preset default|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) preset="$2"; shift 2 ;;
    -h|--help) sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "test.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" --parallel "$(nproc)"
ctest --preset "$preset" --parallel "$(nproc)"

# The Windows program and the image library built for Windows, run under Wine. Only after the
# default preset: the sanitizers exist for the Linux build alone (mingw-w64 has no ASan or UBSan
# runtime), so the sanitize preset has no Windows part.
if [ "$preset" = default ]; then
  scripts/test-windows.sh
fi
