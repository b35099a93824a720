#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "lumarc/inverse_dct.h"

namespace Lumarc {

class BitmapImage;

// One component's quantized coefficients as an entropy decoder leaves them, with what the frame
// header says of the component.
struct ComponentCoefficients {
  std::uint32_t horizontal_frequency = 1;
  std::uint32_t vertical_frequency = 1;
  // As a DQT segment carries them: zigzag order, 1 to 255.
  std::array<std::uint8_t, 64> quantization_values{};
  // Block (row, col) is blocks[row * block_cols + col]. Blocks outside the component's grid are
  // ignored; grid blocks missing here are zero.
  std::uint32_t block_rows = 0;
  std::uint32_t block_cols = 0;
  std::vector<CoefficientBlock> blocks;
};

// The picture a decode of these coefficients gives on the reference paths: every block through
// the scalar inverse DCT, the components enlarged to full-resolution planes and converted into
// the bitmap as a JpegDecoder read would, in frame order. The frame must be one the decoder
// accepts (1 or 3 components, whole sampling ratios); with others the bitmap is only sized.
// Exists for differential checks against other decoders; the decoder never calls it.
void ReconstructOnReferencePaths(std::uint32_t width, std::uint32_t height,
                                 std::span<const ComponentCoefficients> components,
                                 BitmapImage& bitmap);

}  // namespace Lumarc
