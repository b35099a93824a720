#!/usr/bin/env bash
# Builds a copy of the installed libjpeg-turbo shared library that keeps its symbols, for
# bench/profile-stages.sh: the installed library is stripped, and a profile of it names no
# function. The copy comes from the installed package's own Debian source, built with Debian's
# compiler flags, and is kept only if its machine code (.text) is the installed library's byte
# for byte, so profiling the copy is profiling the installed library. A copy that is still
# identical is kept.
#
# Usage: bench/build-libjpeg-symbols.sh [--out DIR]
#   --out DIR  where the source, the build and the library go (default: build/bench/libjpeg-symbols);
#              the library lands in DIR/lib, for LD_LIBRARY_PATH
# Needs apt's deb-src access to the Debian archive of /etc/apt/sources.list.d, nasm and dpkg-dev
# (scripts/install-deps.sh nasm dpkg-dev).
set -euo pipefail

usage() { sed -n '/^# Usage:/,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$0"; }
cd "$(dirname "$0")/.."
out=build/bench/libjpeg-symbols
while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || { usage >&2; exit 2; }; out=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "build-libjpeg-symbols.sh: unknown argument: $1" >&2; usage >&2; exit 2 ;;
  esac
done

fail() { echo "build-libjpeg-symbols.sh: $*" >&2; exit 1; }

package=libjpeg62-turbo:$(dpkg --print-architecture)
installed=$(dpkg -L "$package" 2>/dev/null | grep -E '/libjpeg\.so\.62\.[0-9.]+$' | head -n1) ||
  fail "$package is not installed"
source_package=$(dpkg-query -W -f='${source:Package}' "$package")
source_version=$(dpkg-query -W -f='${source:Version}' "$package")

# Whether two libraries hold the same machine code: the .text sections, byte for byte.
same_machine_code() {
  local first second same=0
  first=$(mktemp) second=$(mktemp)
  objcopy -O binary --only-section=.text "$1" "$first"
  objcopy -O binary --only-section=.text "$2" "$second"
  [ -s "$first" ] && cmp -s "$first" "$second" || same=1
  rm -f "$first" "$second"
  return "$same"
}

mkdir -p "$out"
out=$(realpath "$out")
copy=$out/lib/${installed##*/}
if [ -f "$copy" ] && same_machine_code "$installed" "$copy"; then
  echo "$copy: up to date with $installed"
  exit 0
fi
for tool in apt-get dpkg-source dpkg-buildflags nasm cmake make; do
  command -v "$tool" >/dev/null || fail "$tool is missing: scripts/install-deps.sh nasm dpkg-dev"
done
work=$out/work
rm -rf "$work" && mkdir -p "$work/sources.list.d" "$work/lists/partial"

# apt's own source entries, turned into deb-src ones in a private list: the system's apt setup
# stays as it is.
for list in /etc/apt/sources.list.d/*.sources; do
  if [ -f "$list" ]; then
    sed 's/^Types: deb$/Types: deb-src/' "$list" >"$work/sources.list.d/${list##*/}"
  fi
done
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$work/sources.list.d/main.list"
fi
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/sources.list.d"
             -o "Dir::State::Lists=$work/lists" -o "APT::Sandbox::User=root")
apt-get "${apt_options[@]}" update -qq
(cd "$work" && apt-get "${apt_options[@]}" source --download-only -qq \
  "$source_package=$source_version") || fail "no source for $source_package $source_version"
# apt checked the files against the archive's signed index; dpkg-source's own signature warning
# (no Debian keyring here) goes to the log.
dpkg-source -x "$work"/*.dsc "$work/src" >"$work/unpack.log" 2>&1 || fail "unpacking failed: see $work/unpack.log"

# The flags of the package's debian/rules: hardening on, -Wall -pedantic, SIMD on.
(
  cd "$work/src"
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_APPEND="-Wall -pedantic"
  CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S . -B obj -DCMAKE_BUILD_TYPE=None -DWITH_SIMD=1 >"$work/configure.log"
  make -C obj -j2 jpeg >"$work/build.log"
) || fail "building $source_package failed: see $work/*.log"

built=$work/src/obj/${installed##*/}
same_machine_code "$installed" "$built" ||
  fail "the build's machine code differs from $installed: its profile would not be the installed library's"

mkdir -p "$out/lib"
cp "$built" "$out/lib/"
ln -sf "${installed##*/}" "$out/lib/libjpeg.so.62"
echo "$out/lib: $source_package $source_version with symbols, machine code identical to $installed"
