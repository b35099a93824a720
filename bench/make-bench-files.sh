#!/usr/bin/env bash
# Encodes the benchmark pictures: the reference corpus's synthetic picture at the sizes the
# benchmarks decode, in the codings they compare. Deterministic: the same tools give the same
# bytes.
#
# Usage: make-bench-files.sh PICTURE_GENERATOR OUTPUT_DIR
#   PICTURE_GENERATOR is a built make_test_picture (tests/reference/make_test_picture.cpp);
#   cjpeg comes from libjpeg-turbo-progs.
#
# Writes OUTPUT_DIR/*.jpg and OUTPUT_DIR/bench.txt, one file name per line, in benchmark order.
set -euo pipefail

[ $# -eq 2 ] || { sed -n '6,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
generator=$1
out=$2
mkdir -p "$out"
list=$out/bench.txt.new
: > "$list"

cjpeg=${CJPEG:-cjpeg}

# encode NAME SIZE CJPEG_OPTION...: one file made from the picture of SIZE at quality 75.
encode() {
  local name=$1 size=$2
  shift 2
  [ -f "$out/picture_$size.ppm" ] || "$generator" "${size%x*}" "${size#*x}" "$out/picture_$size.ppm"
  "$cjpeg" -quality 75 "$@" -outfile "$out/$name.jpg" "$out/picture_$size.ppm"
  echo "$name.jpg" >> "$list"
}

encode baseline_420_800x600 800x600 -sample 2x2
encode baseline_420_4000x3000 4000x3000 -sample 2x2
encode progressive_420_800x600 800x600 -sample 2x2 -progressive
encode progressive_420_4000x3000 4000x3000 -sample 2x2 -progressive
encode baseline_444_800x600 800x600 -sample 1x1
encode grayscale_640x480 640x480 -grayscale
encode restart_rows1_800x600 800x600 -sample 2x2 -restart 1

rm -f "$out"/picture_*.ppm
mv "$list" "$out/bench.txt"
