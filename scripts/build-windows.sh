#!/usr/bin/env bash
# Cross-builds the menu as a 32-bit Windows program, BUILD-DIR/bin/launcher.exe, with the sample
# disc in BUILD-DIR/disc, and checks that the menu and the disc's programs are GUI programs that
# import only DLLs that come with Windows, and that the menu carries its hand cursor and its icon.
# Usage: scripts/build-windows.sh [--preset windows|windows-tests] [--build-dir DIR]
#   windows (the default) builds the program for the disc in build-windows/; windows-tests also
#   builds the tests that scripts/test-windows.sh runs under Wine, in build-windows-tests/.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "build-windows.sh: $1" >&2; usage >&2; exit 2; }

preset=windows
build_dir=
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) [ -n "${2:-}" ] || wrong_usage "--preset needs a value"; preset="$2"; shift 2 ;;
    --build-dir) [ -n "${2:-}" ] || wrong_usage "--build-dir needs a value"; build_dir="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) wrong_usage "unknown argument: $1" ;;
  esac
done
case "$preset" in
  windows|windows-tests) ;;
  *) wrong_usage "not a Windows preset: $preset" ;;
esac
build_dir=${build_dir:-build-$preset}

scripts/install-deps.sh
cmake --preset "$preset" -B "$build_dir"
targets=()  # windows-tests builds everything, the tests included
[ "$preset" = windows ] && targets=(--target launcher lumarc_imaging sample_disc)
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"

fail() { echo "build-windows.sh: $exe: $*" >&2; exit 1; }

# The menu and the installer stand-ins on the staged disc are all started on a bare Windows.
check_gui_program() {
  exe=$1
  headers=$(i686-w64-mingw32-objdump -p "$exe") || fail "objdump cannot read its headers"
  grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit Windows executable"
  grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program (missing -mwindows?)"

  system_dlls=" kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll "
  imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  [ -n "$imports" ] || fail "no import table found"
  for dll in $imports; do
    [[ "$system_dlls" == *" ${dll,,} "* ]] || fail "imports $dll, which Windows does not provide"
  done
  echo "$exe: imports" $imports
}

check_gui_program "$build_dir/disc/setup.exe"
check_gui_program "$build_dir/disc/acrobat/ar40eng.exe"
check_gui_program "$build_dir/bin/launcher.exe"
exe=$build_dir/bin/launcher.exe
# Cursor group 102 is what LoadCursorA asks the program's instance for.
resources=$(i686-w64-mingw32-windres -J coff -O rc -i "$exe")
grep -q '^102 12 /\* RT_GROUP_CURSOR \*/' <<<"$resources" || fail "has no cursor group 102"
# Icon group 1, the first, is what Explorer and the disc's autorun.inf show for the program.
grep -q '^1 14 /\* RT_GROUP_ICON \*/' <<<"$resources" || fail "has no icon group 1"

# Every program on the disc carries the application manifest as resource type 24, id 1, byte for
# byte: without it Windows runs the menu as a legacy program and asks to elevate a stand-in
# named setup.exe (icoutils' wrestool reads it back).
for exe in "$build_dir/disc/setup.exe" "$build_dir/disc/acrobat/ar40eng.exe" \
           "$build_dir/bin/launcher.exe"; do
  wrestool -x --raw --type=24 --name=1 "$exe" | cmp -s - resources/windows_program.manifest ||
    fail "does not carry resources/windows_program.manifest (resource type 24, id 1)"
done

# The vector paths run on stacks that Windows aligns to 4 bytes only. GCC realigns the frames
# that hold 32-byte values and moves them with unaligned instructions; an aligned move on a
# stack slot would fault wherever the realignment is missing.
library=$build_dir/imaging/liblumarc_imaging.a
aligned_moves=$(i686-w64-mingw32-objdump -d "$library" |
                { grep -E 'v?mov(dqa|aps|apd)[^(]*\(%e[sb]p' || true; }) ||
  fail "objdump cannot disassemble $library"
if [ -n "$aligned_moves" ]; then
  echo "$aligned_moves" >&2
  fail "$library holds aligned vector moves on the stack"
fi
