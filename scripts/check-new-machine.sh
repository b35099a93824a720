#!/usr/bin/env bash
# Checks that the README's two commands work on a new Debian 12 machine that has only what
# scripts/install-deps.sh installs: builds a minimal Debian 12 tree from Debian's packages, puts a
# clean clone of the committed tree in it and runs there, as root, `scripts/test.sh` and then
# `xvfb-run -s "-screen 0 1024x768x24" scripts/run-menu.sh` until the menu's window shows (its
# screenshot is kept) and then ends the menu. Reports for each step: passed or failed, the time
# it took and its log.
# Usage: scripts/check-new-machine.sh [--dir DIR] [--revision REV] [--keep] [--reuse FOLDER]
#   --dir DIR        where the check makes its work folder, a new one of its own (default:
#                    ${TMPDIR:-/tmp}); the tree is root/ in it, the logs and the screenshot are
#                    in its logs/ and stay there
#   --revision REV   the commit to check (default: HEAD)
#   --keep           keep the tree afterwards (default: it is removed)
#   --reuse FOLDER   work in the folder an earlier check made and use its tree instead of
#                    building a new one (quicker when repeating a check; the clone is always
#                    made anew)
# Needs root (chroot and mounts) and takes long: an hour or more on 2 cores.
# Exit status: 0 all passed, 1 a step failed, 2 wrong usage.
set -euo pipefail
repository="$(cd "$(dirname "$0")/.." && pwd)"

usage() { sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "check-new-machine.sh: $1" >&2; usage >&2; exit 2; }

# Marks a work folder as this script's own: only in such a folder does it remove a tree.
stamp=.made-by-check-new-machine

parent_dir=
reuse_dir=
revision=HEAD
keep=false
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) [ -n "${2:-}" ] || wrong_usage "--dir needs a value"; parent_dir="$2"; shift 2 ;;
    --revision) [ -n "${2:-}" ] || wrong_usage "--revision needs a value"; revision="$2"; shift 2 ;;
    --keep) keep=true; shift ;;
    --reuse) [ -n "${2:-}" ] || wrong_usage "--reuse needs the folder of an earlier check"
             reuse_dir="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) wrong_usage "unknown argument: $1" ;;
  esac
done
if [ -n "$reuse_dir" ]; then
  [ -z "$parent_dir" ] || wrong_usage "--dir and --reuse: the reused folder is the work folder"
  [ -f "$reuse_dir/$stamp" ] || wrong_usage "--reuse $reuse_dir: not a folder an earlier check made"
else
  parent_dir="${parent_dir:-${TMPDIR:-/tmp}}"
  [ -d "$parent_dir" ] && [ -w "$parent_dir" ] ||
    wrong_usage "--dir $parent_dir: not a folder that a work folder can be made in"
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "check-new-machine.sh: needs root, for chroot and the mounts inside the tree" >&2
  exit 1
fi
commit="$(git -C "$repository" rev-parse --verify "$revision^{commit}")"
if [ -n "$reuse_dir" ]; then
  work_dir="$reuse_dir"
else
  work_dir="$(mktemp -d "$parent_dir/lumarc-new-machine.XXXXXX")" ||
    wrong_usage "--dir $parent_dir: cannot make a work folder in it"
  touch "$work_dir/$stamp"
fi
mkdir -p "$work_dir/logs"
work_dir="$(realpath "$work_dir")"
root="$work_dir/root"
logs="$work_dir/logs"

# The tree is only removed when nothing is mounted inside it any more: every mount is made in a
# private mount namespace that ends with its step, and this test makes sure of it.
mounts_inside_tree() { awk -v root="$root/" 'index($2 "/", root) == 1' /proc/self/mounts; }
remove_tree() {
  [ -d "$root" ] || return 0
  if [ -n "$(mounts_inside_tree)" ]; then
    echo "check-new-machine.sh: still mounted inside $root, so it is kept:" >&2
    mounts_inside_tree >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
cleanup() { [ "$keep" = true ] || remove_tree; }

install_bootstrapper() {
  dpkg-query -W -f='${Status}' mmdebstrap 2>/dev/null | grep -q 'install ok installed' && return
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
}

# A Debian 12 system as the smallest installation has it: essential packages and apt, with the
# package sources of a new machine (main, updates, security).
bootstrap() {
  rm -rf --one-file-system "$root"
  mmdebstrap --variant=minbase --mode=root bookworm "$root" \
    "deb http://deb.debian.org/debian bookworm main" \
    "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main"
}

clone() {
  rm -rf --one-file-system "$root/root/lumarc"
  git clone --quiet --no-checkout "$repository" "$root/root/lumarc"
  git -C "$root/root/lumarc" checkout --quiet --detach "$commit"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
}

# Runs a shell command in the tree as root, from the clone, with a new machine's environment:
# its own /proc (and process namespace, so that nothing it starts outlives it), /sys, /dev with
# a private /dev/shm, and an empty /tmp, which Xvfb and Wine need.
# Runs in the background so that a signal to this script is heard at once: it kills unshare,
# and with it (--kill-child) the namespace's first process, which takes every other one along.
namespace=
in_machine() {
  unshare --mount --pid --fork --kill-child --propagation private bash -euo pipefail -c '
    root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    mount -t tmpfs -o mode=1777,nosuid tmp "$root/tmp"
    # This shell stays the namespace'"'"'s first process, its init: an X server whose parent is
    # the init does not tell the parent when it is ready, so xvfb-run would wait for ever.
    status=0
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      bash -euo pipefail -c "cd /root/lumarc && $2" || status=$?
    exit "$status"' _ "$root" "$1" &
  namespace=$!
  wait "$namespace"
}

run_tests() { in_machine scripts/test.sh; }

# The README's run command, with a watcher beside the menu under the same X server: it waits for
# the frame window "Install" while the menu builds and starts, keeps a screenshot and ends it.
run_menu() {
  cat >"$root/root/watch-menu.sh" <<'WATCHER'
set -uo pipefail
scripts/run-menu.sh &
menu=$!
until xdotool search --onlyvisible --name '^Install$' >/dev/null 2>&1; do
  if ! kill -0 "$menu" 2>/dev/null; then
    wait "$menu"
    echo "check: the menu ended (exit status $?) before its window showed" >&2
    exit 1
  fi
  sleep 2
done
sleep 3  # lets it paint its first page before the screenshot
import -window root /root/menu-window.png
echo "check: the menu's window showed; ending the menu"
kill "$menu"
for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$menu" 2>/dev/null || exit 0; sleep 1; done
kill -KILL "$menu"
WATCHER
  rm -f "$root/root/menu-window.png" "$logs/menu-window.png"
  # The X server's socket name is shared with the host's (abstract sockets belong to the network
  # namespace), so a number that another session is unlikely to use: xvfb-run's own 99 often is.
  in_machine "xvfb-run --server-num=$((200 + $$ % 700)) -s '-screen 0 1024x768x24' \
    bash /root/watch-menu.sh"
  cp "$root/root/menu-window.png" "$logs/menu-window.png"
}

results=()
failed=false
completed=false
step() {
  local name="$1" log="$logs/$2.log"
  shift 2
  local started=$SECONDS status=passed
  echo "== $name (log: $log)"
  "$@" >"$log" 2>&1 || { status=failed; failed=true; }
  local took=$((SECONDS - started))
  results+=("$(printf '%-34s %-7s %3dm%02ds  %s' \
    "$name" "$status" $((took / 60)) $((took % 60)) "$log")")
  echo "   $status after $((took / 60))m$((took % 60))s"
  [ "$status" = passed ]
}

report() {
  {
    echo "New-machine check of $commit in $work_dir"
    printf '%s\n' "${results[@]}"
    if [ -f "$logs/menu-window.png" ]; then
      echo "Screenshot of the menu: $logs/menu-window.png"
    fi
    if [ "$failed" = false ] && [ "$completed" = true ]; then
      echo "PASSED: both commands work on a new machine"
    else
      echo "FAILED: see the log of each failed step"
    fi
  } | tee "$logs/summary.txt"
}
trap 'report; cleanup' EXIT
trap '[ -z "$namespace" ] || kill -KILL "$namespace" 2>/dev/null; exit 130' INT TERM

install_bootstrapper
if [ -n "$reuse_dir" ] && [ -x "$root/bin/bash" ]; then
  echo "== reusing the Debian 12 tree in $root"
else
  step "bootstrap minimal Debian 12" bootstrap bootstrap || exit 1
fi
step "clone $(git -C "$repository" rev-parse --short "$commit")" clone clone || exit 1
step "scripts/test.sh" test run_tests || true
step "xvfb-run ... scripts/run-menu.sh" run-menu run_menu || true
completed=true
[ "$failed" = false ]
