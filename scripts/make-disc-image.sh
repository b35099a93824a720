#!/usr/bin/env bash
# Makes the disc a publisher burns: an ISO 9660 image with Joliet names (what Windows reads) and
# Rock Ridge (what Linux reads) holding the disc folder, launcher.exe cross-built for Windows and
# an autorun.inf that starts the menu and gives the disc its icon and label. Nothing is written
# unless the folder passes every check: each page picture of both layouts present, with the
# checksum the menu expects and decoding with the image library; each file a hot region starts
# or opens present; each name usable by Windows from the disc; the whole fitting the medium.
# Names that start with a dot (version control's files) stay off the disc.
# Usage: scripts/make-disc-image.sh [--label LABEL] [--dvd] [DISC_FOLDER] OUTPUT.iso
#   --label LABEL    the volume label: 1 to 16 of A-Z, 0-9 and _ (default TAVO)
#   --dvd            check the size against a 4.7 GB DVD instead of a 650 MB CD
#   DISC_FOLDER      the files of the disc (default: the sample disc, as the Windows build
#                    stages it beside launcher.exe, with its installer stand-ins)
#   --launcher EXE   put this launcher.exe on the disc instead of cross-building one
#   --checker PROG   check with this disc-check instead of building it (default preset)
# Exit status: 0 when the image is written, 1 when a check refuses or a step fails (no image is
# left behind), 2 for wrong usage.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '9,15p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "make-disc-image.sh: $*" >&2; usage >&2; exit 2; }
refuse() { echo "make-disc-image.sh: $*" >&2; exit 1; }

label=TAVO
medium=CD
launcher=
checker=
operands=()
while [ $# -gt 0 ]; do
  case "$1" in
    --label|--launcher|--checker)
      [ $# -ge 2 ] || wrong_usage "$1 needs a value"
      case "$1" in
        --label) label=$2 ;;
        --launcher) launcher=$2 ;;
        --checker) checker=$2 ;;
      esac
      shift 2 ;;
    --dvd) medium=DVD; shift ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    --) shift; operands+=("$@"); break ;;
    -?*) wrong_usage "unknown option: $1" ;;
    *) operands+=("$1"); shift ;;
  esac
done
case ${#operands[@]} in
  1) disc=; output=${operands[0]} ;;
  2) disc=${operands[0]}; output=${operands[1]} ;;
  *) wrong_usage "expected [DISC_FOLDER] OUTPUT.iso" ;;
esac
# The Joliet volume label holds 16 characters; ISO 9660's own allows only these.
[[ "$label" =~ ^[A-Z0-9_]{1,16}$ ]] ||
  wrong_usage "label '$label': use 1 to 16 of A-Z, 0-9 and _"
output_dir=$(dirname "$output")
[ -d "$output_dir" ] || wrong_usage "no folder for the image: $output_dir"
output_path=$(cd "$output_dir" && pwd)/$(basename "$output")
[ -z "$disc" ] || [ -d "$disc" ] || wrong_usage "no disc folder at $disc"
for tool in "$launcher" "$checker"; do
  [ -z "$tool" ] || [ -f "$tool" ] || wrong_usage "no such file: $tool"
done
[ -z "$launcher" ] || launcher=$(cd "$(dirname "$launcher")" && pwd)/$(basename "$launcher")
[ -z "$checker" ] || checker=$(cd "$(dirname "$checker")" && pwd)/$(basename "$checker")

work=$(mktemp -d)
partial=$output_path.partial
trap 'rm -rf "$work" "$partial"' EXIT

# Runs a build step with its output kept aside, shown only when the step fails.
quietly() {
  "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log" >&2; refuse "failed: $*"; }
}

cross_build_launcher() {
  quietly "$repo/scripts/build-windows.sh"
  launcher=$repo/build-windows/bin/launcher.exe
}

quietly "$repo/scripts/install-deps.sh"

# The sample disc holds Windows stand-ins for its installers: those the Windows build staged
# beside the launcher.exe that goes on the disc.
if [ -z "$disc" ]; then
  if [ -z "$launcher" ]; then
    cross_build_launcher
  fi
  disc=$(dirname "$launcher")/../disc
  [ -d "$disc" ] || refuse "no sample disc staged beside $launcher (build the sample_disc target)"
fi
disc_path=$(cd "$disc" && pwd)
case "$output_path/" in
  "$disc_path"/*) wrong_usage "the image cannot be written inside the disc folder it holds" ;;
esac
# A folder whose name starts with '-' is not an option of the checker's.
case $disc in -*) disc=./$disc ;; esac

# The two files the image adds at the root: a publisher's own would be hidden by them.
for name in launcher.exe autorun.inf; do
  clash=$(find "$disc" -mindepth 1 -maxdepth 1 -iname "$name" -print -quit)
  [ -z "$clash" ] || refuse "$clash: the image puts its own $name there; remove this one"
done

if [ -z "$checker" ]; then
  quietly cmake -S "$repo" --preset default
  quietly cmake --build "$repo/build" --parallel 2 --target disc-check
  checker=$repo/build/bin/disc-check
fi
"$checker" "$disc" || refuse "$disc cannot make a working disc (reasons above)"

[ -n "$launcher" ] || cross_build_launcher

# Windows reads autorun.inf as DOS text. The icon is launcher.exe's own (its first icon).
printf '%s\r\n' '[autorun]' 'open=launcher.exe' 'icon=launcher.exe,0' "label=$label" \
  >"$work/autorun.inf"

# Links are followed: the Joliet tree cannot hold them, so Windows would not see them.
# (xorriso takes its -not_leaf pattern as a filter for the -map that follows.)
tree=(-volid "$label" -joliet on -rockridge on -follow link -not_leaf '.*'
      -map "$disc_path" / -map "$launcher" /launcher.exe -map "$work/autorun.inf" /autorun.inf)
# 74-minute CD (333000 sectors) and single-layer DVD (2295104 sectors) of 2048 bytes.
capacity=$([ "$medium" = DVD ] && echo 2295104 || echo 333000)
sectors=$(xorriso -report_about FAILURE -outdev "$work/size.iso" "${tree[@]}" -print_size \
            -rollback_end 2>&1 | sed -n 's/^Image size *: *\([0-9]*\)s$/\1/p')
[ -n "$sectors" ] || refuse "xorriso could not size the image"
if [ "$sectors" -gt "$capacity" ]; then
  hint=$([ "$medium" = CD ] && echo "; --dvd makes a DVD image" || true)
  refuse "$disc: the image needs $((sectors * 2048)) bytes, more than a $medium holds" \
         "($((capacity * 2048)) bytes)$hint"
fi

rm -f "$partial"
quietly xorriso -report_about FAILURE -outdev "$partial" "${tree[@]}"
mv -f "$partial" "$output_path"

files=$(($(find -L "$disc_path" -mindepth 1 -name '.*' -prune -o -type f -print | wc -l) + 2))
bytes=$(stat -c %s "$output_path")
share=$(awk -v used="$bytes" -v room="$((capacity * 2048))" 'BEGIN { printf "%.1f", 100 * used / room }')
echo "$output: $files files, $bytes bytes ($share% of a $medium), label $label"
