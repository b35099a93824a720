#!/usr/bin/env bash
# scripts/check-new-machine.sh works in a folder it makes itself and removes nothing else: the
# folders it refuses, and a run whose bootstrap fails at once (a stand-in mmdebstrap), which
# must leave the --dir's own root/ as it was. Nothing is installed, mounted or built.
# Usage: tests/scripts/check_new_machine_test.sh   (exit 77: skipped, needs root)
set -euo pipefail
script="$(cd "$(dirname "$0")/../../scripts" && pwd)/check-new-machine.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The tools the check would install and bootstrap with, as stand-ins: mmdebstrap starts the
# tree and fails, as it would without a network.
stand_ins="$scratch/stand-ins"
mkdir "$stand_ins"
cat >"$stand_ins/dpkg-query" <<'EOF'
#!/bin/sh
echo 'install ok installed'
EOF
cat >"$stand_ins/mmdebstrap" <<'EOF'
#!/bin/sh
mkdir -p "$4/etc" && echo stand-in >"$4/etc/debian_version"
echo "mmdebstrap: stand-in without a network" >&2
exit 1
EOF
chmod +x "$stand_ins"/*
check() { PATH="$stand_ins:$PATH" timeout 60 "$script" "$@"; }

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

touch "$scratch/a-file"
mkdir "$scratch/not-a-check"
refused=(
  "--dir $scratch/missing"
  "--dir $scratch/a-file"
  "--reuse $scratch/not-a-check"
  "--dir $scratch --reuse $scratch/not-a-check"
)
for args in "${refused[@]}"; do
  read -ra args <<<"$args"
  status=0
  check "${args[@]}" >"$scratch/out" 2>&1 || status=$?
  if [ "$status" != 2 ] || ! grep -q '^Usage: scripts/' "$scratch/out"; then
    fail "${args[*]}: exit $status (expected 2 with the usage):"
    cat "$scratch/out"
  fi
done
[ ! -e "$scratch/missing" ] || fail "--dir made the missing folder it was given"

if [ "$(id -u)" -ne 0 ]; then
  echo "$failures failed; the run needs root: skipped"
  [ "$failures" -eq 0 ] && exit 77
  exit 1
fi

# A DIR that holds a tree of its own, as / holds /root.
dir="$scratch/dir"
mkdir -p "$dir/root/.ssh"
echo "the user's own" >"$dir/root/.ssh/authorized_keys"
status=0
check --dir "$dir" >"$scratch/out" 2>&1 || status=$?
made=("$dir"/lumarc-new-machine.*)
if [ "$status" != 1 ]; then
  fail "the failed bootstrap: exit $status (expected 1):"
  cat "$scratch/out"
fi
[ "$(cat "$dir/root/.ssh/authorized_keys" 2>/dev/null)" = "the user's own" ] ||
  fail "--dir's own root/ lost what it held"
if [ ${#made[@]} != 1 ] || [ ! -d "${made[0]}" ]; then
  fail "expected one work folder made in --dir, found: ${made[*]}"
elif [ -e "${made[0]}/root" ] || [ ! -f "${made[0]}/logs/bootstrap.log" ]; then
  fail "the work folder should keep its logs and lose its tree:"
  ls -lR "${made[0]}"
fi
[ "$(ls -A "$dir" | wc -l)" = 2 ] || fail "--dir holds more than its root/ and the work folder"

echo "$failures failed"
[ "$failures" -eq 0 ]
