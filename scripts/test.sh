#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite.
# Usage: scripts/test.sh [--preset default|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) preset="$2"; shift 2 ;;
    -h|--help) sed -n '2,3p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "test.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" --parallel "$(nproc)"
ctest --preset "$preset" --parallel "$(nproc)"
