#!/usr/bin/env bash
# Regenerates the sample disc's page pictures (brivant/*.dat) and its manual (manual.pdf).
# Usage: disc/make-pictures.sh [PICTURE-CHECKSUM]
#   PICTURE-CHECKSUM is the picture-checksum tool; without it the script builds it with the
#   default preset and uses build/bin/picture-checksum.
# Each page is drawn with ImageMagick, encoded with cjpeg and then given the sampled checksum the
# menu expects of it. The same tools and fonts give the same bytes on every run.
set -euo pipefail
disc_dir=$(cd "$(dirname "$0")" && pwd)
repo_dir=$(dirname "$disc_dir")

"$repo_dir/scripts/install-deps.sh" imagemagick fonts-dejavu-core

tool=${1:-}
if [ -z "$tool" ]; then
  (cd "$repo_dir" && cmake --preset default >/dev/null &&
    cmake --build --preset default --target picture-checksum >/dev/null)
  tool=$repo_dir/build/bin/picture-checksum
fi
[ -x "$tool" ] || { echo "make-pictures.sh: no picture-checksum tool at $tool" >&2; exit 2; }

# One thread, so that the blurred glow rounds the same way on every machine.
export MAGICK_THREAD_LIMIT=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Every picture of both layouts: file, the checksum the menu expects of it, layout width, cjpeg
# options. The encodings differ on purpose, so that the disc exercises each kind of coding the
# menu reads.
pages=(
  "1.dat  27642 800 -quality 90 -sample 2x2"
  "2.dat  25800 800 -quality 90 -sample 2x2 -progressive"
  "3.dat  30504 800 -quality 92 -sample 1x1 -optimize"
  "4.dat  29706 800 -quality 90 -sample 2x1 -restart 1"
  "5.dat  26456 800 -quality 90 -sample 1x1 -progressive"
  "1l.dat 27788 640 -quality 90 -sample 1x1"
  "2l.dat 29816 640 -quality 90 -sample 2x2 -restart 3B"
  "3l.dat 25480 640 -quality 90 -grayscale"
  "4l.dat 25512 640 -quality 90 -sample 2x2 -progressive"
  "5l.dat 27242 640 -quality 90 -sample 2x2 -restart 1 -optimize"
)

# Coordinates below are for the 800 x 600 layout; the 640 x 480 one shrinks them to four fifths.
# Buttons are the exception: they sit on the menu's hot regions of each layout.
picture_width=800
picture_height=600
scale=5
s() { echo $(($1 * scale / 5)); }

accent_blue='#3d9bff'
accent_amber='#ffb340'

# The menu shows a picture in the client area of a main window the picture's size, which the
# window's frame (3 pixels on each side) and title bar (19 pixels) make 6 pixels narrower and 25
# lower than the picture: the picture's right and bottom edges never show. Some hot regions run
# past that bottom edge.
client_width() { echo $((picture_width - 6)); }
client_height() { echo $((picture_height - 25)); }

# Appends to `cmd` the drawing of one rounded button on the hot region x, y, w, h: whole, in the
# part of the region that shows in the client area.
button() {
  local x=$1 y=$2 w=$3 h=$4 label=$5 kind=$6 points=$7
  local fill='#22345a' stroke='#5f7fb8' right bottom
  right=$(client_width) bottom=$(client_height)
  w=$((x + w > right ? right - x : w))
  h=$((y + h > bottom ? bottom - y : h))
  [ "$kind" = primary ] && fill='#2a74d0' stroke='#8cc4ff'
  [ "$kind" = amber ] && fill='#b8741a' stroke='#ffd08a'
  cmd+=(\( -size "${w}x${h}" xc:none
    -fill "$fill" -stroke "$stroke" -strokewidth 1.5
    -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) 9,9"
    -stroke none -fill '#ffffff' -font "$bold" -pointsize "$points" -interline-spacing -2
    -gravity center -annotate "+0+1" "$label" \)
    -gravity NorthWest -geometry "+$x+$y" -composite)
}

# Starts `cmd` with the page's background, wordmark and caption.
frame() {
  local caption=$1 accent=$2 width=$picture_width height=$picture_height
  cmd=(convert -size "${width}x${height}" gradient:'#15284e'-'#04070e'
    \( -size "${width}x${height}" xc:none -fill 'rgba(61,155,255,0.20)'
    -draw "circle $(s 720),$(s -60) $(s 1040),$(s 260)" -channel RGBA -blur "0x$(s 80)" +channel \)
    -composite
    -fill 'rgba(255,255,255,0.04)' -draw "rectangle 0,$(s 500) $width,$height"
    -fill "$accent" -draw "rectangle 0,$(s 500) $width,$(s 501)"
    -fill "$accent" -draw "rectangle $(s 40),$(s 78) $(s 120),$(s 80)"
    -gravity NorthWest -font "$bold" -pointsize "$(s 15)" -fill '#9fb6dd' -kerning 4
    -annotate "+$(s 40)+$(s 40)" 'BRIVANT' -kerning 0
    -font "$font" -pointsize "$(s 13)" -fill '#6f86ad' -annotate "+$(s 160)+$(s 42)" 'Sample disc'
    -font "$bold" -pointsize "$(s 34)" -fill '#ffffff' -annotate "+$(s 40)+$(s 100)" "$caption")
}

# Appends body text starting at line $1 (a line is 30 pixels at 800 x 600), indented $2 pixels.
text() {
  cmd+=(-gravity NorthWest -font "${4:-$font}" -pointsize "$(s 17)" -fill "${5:-#c9d6ee}"
    -interline-spacing "$(s 9)" -annotate "+$(s $((40 + $2)))+$(s $((170 + 30 * $1)))" "$3"
    -interline-spacing 0)
}

# Appends a small label in the footer, above a button, at the given left edge.
hint() {
  cmd+=(-gravity NorthWest -font "$font" -pointsize "$(s 12)" -fill '#8ea6cf'
    -annotate "+$1+$2" "$3")
}

# Appends a status badge: a rounded box with a heading and one line beneath it.
badge() {
  local colour=$1 heading=$2 line=$3
  cmd+=(-fill 'rgba(255,255,255,0.05)' -stroke "$colour" -strokewidth 1.5
    -draw "roundrectangle $(s 40),$(s 372) $(s 760),$(s 468) 10,10" -stroke none
    -fill "$colour" -draw "circle $(s 68),$(s 398) $(s 75),$(s 398)"
    -gravity NorthWest -font "$bold" -pointsize "$(s 17)" -annotate "+$(s 88)+$(s 387)" "$heading"
    -font "$font" -pointsize "$(s 15)" -fill '#c9d6ee' -annotate "+$(s 88)+$(s 420)" "$line")
}

# Each page function draws one page of the layout in `picture_width`: frame, text, buttons.
welcome_page() {
  frame 'Welcome to TAVO setup' "$accent_blue"
  text 0 0 'This disc installs TAVO, its manual and everything they need.'
  text 2 0 'Step 1 of 2: install the document reader first. The manual on this
disc needs it; its installer starts and the menu moves on by itself.'
  text 5 0 'Already have a document reader? Go straight on with Next.'
  if [ "$picture_width" = 800 ]; then
    hint 272 506 'Document reader'
    button 300 524 70 60 $'Install\nreader' primary 12
    button 425 524 70 60 'Next' secondary 15
  else
    hint 215 403 'Document reader'
    button 235 417 55 45 $'Install\nreader' primary 10
    button 342 417 55 45 'Next' secondary 12
  fi
}

install_page() {
  frame 'Welcome to TAVO setup' "$accent_blue"
  text 0 0 'Step 2 of 2: install TAVO, or read the manual before you begin.'
  text 2 0 'Install TAVO runs the setup program from this disc. Read the manual
opens the TAVO manual in your document reader. Help explains the
menu and lets you explore the files on the disc.'
  if [ "$picture_width" = 800 ]; then
    button 94 523 115 60 'Install TAVO' primary 15
    button 277 523 230 60 'Read the manual' secondary 16
    button 560 523 60 60 'Help' secondary 14
    button 662 523 60 60 'Next' secondary 14
  else
    button 73 420 90 45 'Install TAVO' primary 11
    button 221 420 185 45 'Read the manual' secondary 13
    button 449 420 50 45 'Help' secondary 12
    button 525 420 50 45 'Next' secondary 12
  fi
}

choice_page() {
  frame "YOU'VE MADE THE BRIVANT CHOICE" "$accent_blue"
  text 0 0 'Thank you for choosing TAVO.'
  text 2 0 'Everything on this disc stays available: start this menu again
from the root of the disc whenever you want to read the manual,
install the document reader or look at the files.'
  if [ "$picture_width" = 800 ]; then
    hint 40 547 'Setup can be started again from this disc at any time.'
    button 689 529 60 50 'Exit' primary 15
  else
    hint 32 434 'Setup can be started again from this disc at any time.'
    button 553 420 40 40 'Exit' primary 11
  fi
}

# The list of what the menu's buttons do, shared by both states of the help page.
button_list() {
  local names=$'Install reader\nInstall TAVO\nRead the manual\nExplore the disc'
  local uses=$'installs the document reader that the manual needs\nruns setup.exe from the disc\nopens manual.pdf\nopens a window on the files of the disc'
  text 2 0 "$names" "$bold" '#ffffff'
  text 2 190 "$uses"
}

help_page() {
  frame 'Help' "$accent_blue"
  text 0 0 'This menu runs programs straight from the disc:'
  button_list
  badge "$accent_blue" 'No backup in place' \
    'config.sys and autoexec.bat on drive C: are your own: there is nothing to restore.'
  help_buttons primary
}

restore_page() {
  frame 'Restore' "$accent_amber"
  text 0 0 'This menu runs programs straight from the disc:'
  button_list
  badge "$accent_amber" 'Backup in place: the disc'"'"'s start-up files are active' \
    'Your own files are saved as c:\\config.bvt and c:\\autoexec.bvt until you restore them.'
  help_buttons amber
}

# The help page's two buttons are the same in both states; only their colour tells them apart.
help_buttons() {
  if [ "$picture_width" = 800 ]; then
    button 35 526 100 100 $'Explore\nthe disc' "$1" 14
    button 692 526 70 60 'Back' secondary 15
  else
    button 24 420 100 100 $'Explore\nthe disc' "$1" 12
    button 552 420 45 45 'Back' secondary 11
  fi
}

# Draws page $1 (1 to 5) of the layout whose width is $2 into the PPM file $3.
draw_page() {
  picture_width=$2
  picture_height=$(($2 * 3 / 4))
  scale=$((picture_width == 800 ? 5 : 4))
  case "$1" in
    1) welcome_page ;;
    2) install_page ;;
    3) choice_page ;;
    4) help_page ;;
    5) restore_page ;;
  esac
  cmd+=(-strip "ppm:$3")
  "${cmd[@]}"
}

# Prints a one-page PDF that says it is the sample manual. The cross-reference table needs each
# object's byte offset, so the objects are collected first and their offsets counted.
write_manual() {
  local LC_ALL=C text objects=() pdf offsets=() n
  text='BT /F1 24 Tf 72 740 Td (TAVO manual) Tj ET
BT /F1 12 Tf 72 710 Td (This is the sample manual of the Lumarc sample disc.) Tj ET
BT /F1 12 Tf 72 692 Td (The disc menu opens it with the Read the manual button.) Tj ET'
  objects=(
    '<< /Type /Catalog /Pages 2 0 R >>'
    '<< /Type /Pages /Kids [3 0 R] /Count 1 >>'
    '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R
   /Resources << /Font << /F1 5 0 R >> >> >>'
    "<< /Length ${#text} >>
stream
$text
endstream"
    '<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>'
  )
  pdf=$'%PDF-1.4\n'
  for n in "${!objects[@]}"; do
    offsets+=("${#pdf}")
    pdf+="$((n + 1)) 0 obj
${objects[n]}
endobj
"
  done
  printf '%s' "$pdf"
  printf 'xref\n0 %d\n0000000000 65535 f \n' $((${#objects[@]} + 1))
  printf '%010d 00000 n \n' "${offsets[@]}"
  printf 'trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' \
    $((${#objects[@]} + 1)) "${#pdf}"
}

mkdir -p "$disc_dir/brivant"
for entry in "${pages[@]}"; do
  read -r file checksum width options <<<"$entry"
  draw_page "${file%%[l.]*}" "$width" "$work/page.ppm"
  # shellcheck disable=SC2086  # the options are several words on purpose
  cjpeg $options -outfile "$disc_dir/brivant/$file" "$work/page.ppm"
  "$tool" --set "$checksum" "$disc_dir/brivant/$file"
done

write_manual >"$disc_dir/manual.pdf"
