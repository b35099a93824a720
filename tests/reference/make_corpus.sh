#!/usr/bin/env bash
# Builds the reference corpus: JPEG files made by an independent encoder from one synthetic
# picture, covering the coding modes, samplings, sizes and qualities the decoder must accept and
# some it must refuse. Deterministic: the same tools give the same bytes.
#
# Usage: make_corpus.sh PICTURE_GENERATOR OUTPUT_DIR
#   PICTURE_GENERATOR is the built make_test_picture; cjpeg and jpegtran come from
#   libjpeg-turbo-progs.
#
# Writes OUTPUT_DIR/*.jpg and OUTPUT_DIR/corpus.txt, one line per file:
#   FILE KIND ok                 the decoder must decode it like the reference decoder
#   FILE KIND refused MESSAGE    the decoder must refuse it with exactly MESSAGE
set -euo pipefail

[ $# -eq 2 ] || { sed -n '6,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
generator=$1
out=$2
mkdir -p "$out"
manifest=$out/corpus.txt.new
: > "$manifest"

cjpeg=${CJPEG:-cjpeg}
jpegtran=${JPEGTRAN:-jpegtran}

sizes=(1x1 17x17 100x75 801x599)
for size in "${sizes[@]}"; do
  "$generator" "${size%x*}" "${size#*x}" "$out/picture_$size.ppm"
done

# encode KIND NAME SIZE CJPEG_OPTION...: one accepted file made from the picture of SIZE.
encode() {
  local kind=$1 name=$2 size=$3
  shift 3
  "$cjpeg" "$@" -outfile "$out/$name.jpg" "$out/picture_$size.ppm"
  echo "$name.jpg $kind ok" >> "$manifest"
}

# transcode KIND NAME SOURCE JPEGTRAN_OPTION...: one accepted file rewritten losslessly.
transcode() {
  local kind=$1 name=$2 source=$3
  shift 3
  "$jpegtran" "$@" -outfile "$out/$name.jpg" "$out/$source.jpg"
  echo "$name.jpg $kind ok" >> "$manifest"
}

# refuse NAME SIZE MESSAGE CJPEG_OPTION...: one file the decoder must refuse with MESSAGE.
refuse() {
  local name=$1 size=$2 message=$3
  shift 3
  "$cjpeg" "$@" -outfile "$out/$name.jpg" "$out/picture_$size.ppm"
  echo "$name.jpg refused refused $message" >> "$manifest"
}

# Spectral selection and successive approximation, with refinement of both DC and AC.
cat > "$out/spectral_approximation.scans" <<'SCANS'
0 1 2: 0 0 0 2;
0: 1 8 0 2;
1: 1 63 0 1;
2: 1 63 0 1;
0: 9 63 0 2;
0: 1 63 2 1;
0 1 2: 0 0 2 1;
0 1 2: 0 0 1 0;
1: 1 63 1 0;
2: 1 63 1 0;
0: 1 63 1 0;
SCANS
# Sequential, one component per scan (non-interleaved).
cat > "$out/one_component_per_scan.scans" <<'SCANS'
0: 0 63 0 0;
1: 0 63 0 0;
2: 0 63 0 0;
SCANS
# Sequential, luminance alone, then both chrominance components interleaved.
cat > "$out/luma_then_chroma.scans" <<'SCANS'
0: 0 63 0 0;
1 2: 0 63 0 0;
SCANS

for size in "${sizes[@]}"; do
  encode baseline "baseline_q75_$size" "$size" -quality 75
  encode progressive "progressive_q75_$size" "$size" -quality 75 -progressive
  encode grayscale "grayscale_q75_$size" "$size" -quality 75 -grayscale
done

for size in 100x75 801x599; do
  for quality in 5 15; do
    # Below quality 25 the tables only stay 8-bit when forced to the baseline range.
    encode quality "quality_q${quality}_$size" "$size" -quality "$quality" -baseline
  done
  for quality in 25 50 90 100; do
    encode quality "quality_q${quality}_$size" "$size" -quality "$quality"
  done
  encode optimized "optimized_q75_$size" "$size" -quality 75 -optimize
  encode grayscale "grayscale_q100_$size" "$size" -quality 100 -grayscale
  encode grayscale "grayscale_progressive_$size" "$size" -quality 75 -grayscale -progressive
  encode restart "restart_rows1_$size" "$size" -quality 75 -restart 1
  encode restart "restart_blocks5_$size" "$size" -quality 75 -restart 5B
  encode restart "restart_progressive_blocks2_$size" "$size" -quality 75 -progressive -restart 2B
  encode restart "restart_progressive_rows1_$size" "$size" -quality 75 -progressive -restart 1
  encode restart "restart_multiscan_blocks3_$size" "$size" -quality 75 \
    -scans "$out/one_component_per_scan.scans" -restart 3B
  transcode restart "restart_transcoded_blocks7_$size" "baseline_q75_$size" -restart 7B
  transcode progressive "progressive_transcoded_$size" "quality_q90_$size" -progressive
done

for size in 17x17 100x75 801x599; do
  encode progressive_scans "progressive_scans_$size" "$size" -quality 85 \
    -scans "$out/spectral_approximation.scans"
  encode multiscan "multiscan_per_component_$size" "$size" -quality 75 \
    -scans "$out/one_component_per_scan.scans"
  encode multiscan "multiscan_luma_then_chroma_$size" "$size" -quality 75 \
    -scans "$out/luma_then_chroma.scans"
  for sampling in 1x1 2x1 1x2 2x2 4x1 4x2 1x1,2x2,2x2; do
    encode sampling "sampling_${sampling//,/_}_$size" "$size" -quality 75 -sample "$sampling"
  done
  # Chroma a quarter as wide is converted through row buffers of its own, on the worker too.
  transcode sampling "progressive_sampling_4x1_$size" "sampling_4x1_$size" -progressive
done

refuse sixteen_bit_tables_q10_100x75 100x75 "Only 8-bit Data is Supported" -quality 10
refuse arithmetic_100x75 100x75 \
  "Cannot read image - Arithmetic Coding covered by patents" -quality 75 -arithmetic
refuse arithmetic_progressive_100x75 100x75 \
  "Cannot read image - Arithmetic Coding covered by patents" -quality 75 -arithmetic -progressive

rm -f "$out"/picture_*.ppm
mv "$manifest" "$out/corpus.txt"
