#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, skipping those already present.
# Usage: scripts/install-deps.sh [extra-package...]
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  git                                      # check-new-machine.sh (and its test) name the commit to check
  ccache                                   # compiles once what several build trees share
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-turbo-progs libjpeg62-turbo-dev  # the independent reference decoder and encoder
  python3                                  # generates the hand cursor from its text picture
  g++-mingw-w64-i686 binutils-mingw-w64-i686  # the 32-bit Windows cross-build
  googletest                               # GoogleTest's sources, cross-built for Windows
  wine wine32:i386                         # runs the Windows build in the test suite
  libsdl2-dev                              # the menu's real window on Linux
  libx11-dev                               # the SDL backend's own X error handler (a lost display)
  libsdl2-ttf-dev fonts-dejavu-core        # the title text in that window's title bar
  xvfb xdotool imagemagick x11-utils       # an X server, input and screenshots for desktop tests
  xauth                                    # xvfb-run, for the README's run command without a desktop
  adwaita-icon-theme                       # a cursor theme: the system's arrow is then "left_ptr"
  libstb-dev                               # a second independent decoder for the benchmarks
  clang libclang-rt-14-dev                 # libFuzzer and the fuzzers' sanitizer runtimes
  xorriso                                  # writes and reads back the disc image (ISO 9660)
  icoutils                                 # wrestool reads the Windows programs' manifests back
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: its architecture must be known before the package lists are read.
dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
