#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "libjpeg_reference.h"

namespace Lumarc::Reference {

// Our decoder's output as it lies in memory: a bottom-up DIB pixel array, 3 bytes per pixel in
// the order blue, green, red, or 1 grey byte per pixel.
struct DibPixels {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;
  uint32_t bytes_per_row = 0;
  std::span<const uint8_t> bytes;
};

struct SampleMismatch {
  uint32_t x = 0, y = 0;  // y counts from the top row
  char channel = 'Y';     // 'R', 'G', 'B', or 'Y' for grey
  int ours = 0, theirs = 0;
};

struct PictureDifference {
  int max_abs = 0;
  double psnr = 0;  // in dB over all samples; infinity when the pictures are equal
  std::optional<SampleMismatch> first_beyond;  // first sample (raster order) over the tolerance
};

// Compares sample by sample. Both pictures must have the same size and channel count.
PictureDifference ComparePictures(const DibPixels& ours, const ReferencePicture& theirs,
                                  int tolerance);

}  // namespace Lumarc::Reference
