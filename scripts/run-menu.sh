#!/usr/bin/env bash
# Runs the menu on the sample disc in a real window: installs what is missing, builds the
# launcher and stages the disc (default preset: build/disc, disc/ plus the built installer
# stand-ins), and starts the launcher with the staged disc as its start directory.
# Drive C: of the menu is a folder of its own, never the real /: $LUMARC_SYSTEM_DRIVE if set,
# else ${XDG_STATE_HOME:-~/.local/state}/lumarc/system-drive. The exit status is the menu's
# (1 after its Quit button, as on Windows).
# Usage: scripts/run-menu.sh
set -euo pipefail
caller_directory="$PWD"
cd "$(dirname "$0")/.."

usage() { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; }
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  "") ;;
  *) echo "run-menu.sh: takes no arguments" >&2; usage >&2; exit 2 ;;
esac

no_display() {
  cat >&2 <<MESSAGE
run-menu.sh: $1, so there is nowhere to show the menu.
Run this from a terminal inside a desktop session, or give it a virtual X server:
  xvfb-run -s "-screen 0 1024x768x24" scripts/run-menu.sh
MESSAGE
  exit 1
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  no_display "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)"
fi

scripts/install-deps.sh
# xdpyinfo comes with x11-utils, which install-deps.sh has just made sure of.
if [ -n "${DISPLAY:-}" ] && ! xdpyinfo >/dev/null 2>&1; then
  no_display "the X display $DISPLAY does not answer"
fi

cmake --preset default
cmake --build --preset default --target launcher sample_disc --parallel "$(nproc)"

system_drive="${LUMARC_SYSTEM_DRIVE:-${XDG_STATE_HOME:-$HOME/.local/state}/lumarc/system-drive}"
case "$system_drive" in /*) ;; *) system_drive="$caller_directory/$system_drive" ;; esac
mkdir -p "$system_drive"
system_drive="$(realpath "$system_drive")"
if [ "$system_drive" = / ]; then
  echo "run-menu.sh: the system drive folder may not be / itself" >&2
  exit 2
fi
echo "Drive C: of the menu is $system_drive"

export LUMARC_SYSTEM_DRIVE="$system_drive"
export LUMARC_BACKEND=sdl
cd build/disc
exec ../bin/launcher
