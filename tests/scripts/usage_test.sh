#!/usr/bin/env bash
# Wrong usage of the project's scripts prints the usage on standard error and exits 2 before
# anything is installed or built; --help prints it and exits 0.
# Usage: tests/scripts/usage_test.sh
set -euo pipefail
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"

# script, expected exit status, arguments
cases=(
  "test.sh                 2 --preset"
  "test.sh                 2 --bogus"
  "test.sh                 0 --help"
  "build-windows.sh        2 --preset"
  "build-windows.sh        2 --build-dir"
  "build-windows.sh        2 --preset default"
  "test-windows.sh         2 --build-dir"
  "test-windows.sh         2 --preset windows"
  "run-menu.sh             2 extra"
  "check-new-machine.sh    2 --dir"
  "check-new-machine.sh    2 --reuse"
)

failures=0
for case in "${cases[@]}"; do
  read -r script expected args <<<"$case"
  read -ra args <<<"$args"
  out="$(mktemp)" err="$(mktemp)"
  # A case that got past the argument check would start installing and building: cut it short.
  status=0
  timeout 30 "$scripts/$script" "${args[@]}" >"$out" 2>"$err" || status=$?
  usage_stream="$err"
  [ "$expected" = 0 ] && usage_stream="$out"
  if [ "$status" != "$expected" ] || ! grep -q '^Usage: scripts/' "$usage_stream"; then
    echo "FAILED: $script ${args[*]}: exit $status (expected $expected), output:"
    cat "$out" "$err"
    failures=$((failures + 1))
  fi
  rm -f "$out" "$err"
done
echo "$((${#cases[@]} - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
