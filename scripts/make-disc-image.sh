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
#   OUTPUT.iso       a new file, or a regular file that the image replaces once it is whole
#   --launcher EXE   put this launcher.exe on the disc instead of cross-building one
#   --checker PROG   check with this disc-check instead of building it (default preset)
# Exit status: 0 when the image is written, 1 when a check refuses or a step fails (no image is
# left behind), 2 for wrong usage.
set -euo pipefail
unset CDPATH  # cd must go where it is told, and say nothing
repo=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '9,16p' "$0" | sed 's/^# \{0,1\}//'; }
wrong_usage() { echo "make-disc-image.sh: $*" >&2; usage >&2; exit 2; }
refuse() { echo "make-disc-image.sh: $*" >&2; exit 1; }

# A name may end with a newline, which command substitution drops: names are taken apart here
# as given, never through dirname, basename or $(pwd).
# Sets folder to the folder that PATH's last part is in, as dirname would print it.
folder_of() {
  case $1 in */*) folder=${1%/*}; folder=${folder:-/} ;; *) folder=. ;; esac
}
# Sets physical_path to the absolute path of FOLDER with every symbolic link resolved.
resolve_folder() {
  physical_path=$(cd -P -- "$1" && pwd -P && echo .) || return 1
  physical_path=${physical_path%$'\n.'}
}
# Sets physical_path to the absolute path of FILE, its folder resolved (not FILE itself, which
# the image replaces when it is a link).
resolve_file() {
  folder_of "$1"
  resolve_folder "$folder" || return 1
  physical_path=${physical_path%/}/${1##*/}
}

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
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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
# The image replaces a file; a folder, a device or a pipe would lose what it is.
case $output in */) wrong_usage "$output names a folder, not the image's file" ;; esac
if [ -e "$output" ] || [ -L "$output" ]; then
  [ ! -d "$output" ] || wrong_usage "$output is a folder, not the image's file"
  [ -f "$output" ] || wrong_usage "$output is not a regular file"
fi
folder_of "$output"
[ -d "$folder" ] || wrong_usage "no folder for the image: $folder"
resolve_file "$output" || wrong_usage "cannot enter the folder for the image: $folder"
output_path=$physical_path
[ -z "$disc" ] || [ -d "$disc" ] || wrong_usage "no disc folder at $disc"
for tool in "$launcher" "$checker"; do
  [ -z "$tool" ] || [ -f "$tool" ] || wrong_usage "no such file: $tool"
done
if [ -n "$launcher" ]; then
  resolve_file "$launcher" || wrong_usage "cannot reach $launcher"
  launcher=$physical_path
fi
if [ -n "$checker" ]; then
  resolve_file "$checker" || wrong_usage "cannot reach $checker"
  checker=$physical_path
fi

work=$(mktemp -d) || refuse "cannot make a scratch folder"
# The image is written under a name of its own beside OUTPUT and renamed over it once whole.
# Only what this run made is removed, whichever way it ends: bash runs the exit trap also when
# a signal ends the script (which still ends by that signal).
partial=
trap 'rm -rf "$work"; [ -z "$partial" ] || rm -f "$partial"' EXIT

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
  disc=${launcher%/*}/../disc
  [ -d "$disc" ] || refuse "no sample disc staged beside $launcher (build the sample_disc target)"
fi
resolve_folder "$disc" || refuse "cannot enter the disc folder $disc"
disc_path=$physical_path
# Resolved both, so that no link leads the image into the folder it holds.
case "$output_path/" in
  "${disc_path%/}"/*) wrong_usage "the image cannot be written inside the disc folder it holds" ;;
esac
# A folder whose name starts with '-' is not an option of the checker's.
case $disc in -*) disc=./$disc ;; esac

# The two files the image adds at the root: a publisher's own would be hidden by them.
for name in launcher.exe autorun.inf; do
  clash=$(find "$disc" -mindepth 1 -maxdepth 1 -iname "$name" -print -quit) ||
    refuse "cannot read the disc folder $disc"
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
  >"$work/autorun.inf" || refuse "cannot write autorun.inf in $work"

# Links are followed: the Joliet tree cannot hold them, so Windows would not see them.
# (xorriso takes its -not_leaf pattern as a filter for the -map that follows.)
tree=(-volid "$label" -joliet on -rockridge on -follow link -not_leaf '.*'
      -map "$disc_path" / -map "$launcher" /launcher.exe -map "$work/autorun.inf" /autorun.inf)
# 74-minute CD (333000 sectors) and single-layer DVD (2295104 sectors) of 2048 bytes.
capacity=$([ "$medium" = DVD ] && echo 2295104 || echo 333000)
sized=true
size_report=$(xorriso -report_about FAILURE -outdev "$work/size.iso" "${tree[@]}" -print_size \
                -rollback_end 2>&1) || sized=false
sectors=$(sed -n 's/^Image size *: *\([0-9]*\)s$/\1/p' <<<"$size_report")
if [ "$sized" = false ] || [ -z "$sectors" ]; then
  echo "$size_report" >&2
  refuse "xorriso could not size the image"
fi
if [ "$sectors" -gt "$capacity" ]; then
  hint=$([ "$medium" = CD ] && echo "; --dvd makes a DVD image" || true)
  refuse "$disc: the image needs $((sectors * 2048)) bytes, more than a $medium holds" \
         "($((capacity * 2048)) bytes)$hint"
fi
# Counted before writing, so that nothing can fail once the image is in place.
if ! listing=$(find -L "$disc_path" -mindepth 1 -name '.*' -prune -o -type f -printf . \
                 2>"$work/find.log"); then
  cat "$work/find.log" >&2
  refuse "cannot read the disc folder $disc"
fi
files=$((${#listing} + 2))

folder_of "$output_path"
partial=$(mktemp -p "$folder" .make-disc-image.XXXXXX) ||
  refuse "cannot write in the image's folder $folder"
quietly xorriso -report_about FAILURE -outdev "$partial" "${tree[@]}"
# mktemp made the file for its owner alone; the image gets what a new file would.
chmod "$(printf '%o' $((0666 & ~0$(umask))))" "$partial" &&
  bytes=$(stat -c %s "$partial") ||
  refuse "cannot set up the image in $partial"
share=$(awk -v used="$bytes" -v room="$((capacity * 2048))" 'BEGIN { printf "%.1f", 100 * used / room }')
mv -f "$partial" "$output_path" || refuse "cannot put the image at $output"
partial=

printf '%s: %s files, %s bytes (%s%% of a %s), label %s\n' \
  "$output" "$files" "$bytes" "$share" "$medium" "$label"
