#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Lumarc::Reference {

// A picture as the independent decoder gives it: rows top-down, samples interleaved as
// red, green, blue (3 channels) or grey (1 channel).
struct ReferencePicture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;
  std::vector<uint8_t> samples;

  uint8_t At(uint32_t x, uint32_t y, uint32_t channel) const {
    return samples[(size_t{y} * width + x) * channels + channel];
  }
};

// Decodes a JPEG file with the system's libjpeg, set up to match our decoder's pipeline as
// closely as its options allow: the accurate integer inverse DCT, sample repetition instead of
// smoothed upsampling, no block smoothing of progressive files. Throws std::runtime_error with
// libjpeg's message when it cannot decode the file or warns about it.
ReferencePicture DecodeWithLibjpeg(const std::string& path);

// One component's quantized coefficients as libjpeg's entropy decoder reads them, before any
// inverse DCT: the block grid covers whole MCUs, as our decoder's does.
struct ReferenceComponent {
  uint32_t horizontal = 0;  // sampling factors
  uint32_t vertical = 0;
  uint32_t block_rows = 0;                      // vertical x MCU rows
  uint32_t block_cols = 0;                      // horizontal x MCU columns
  std::array<uint16_t, 64> quantization{};      // natural (row-major) order
  std::vector<std::array<int16_t, 64>> blocks;  // row-major grid, coefficients in natural order
};

struct ReferenceCoefficients {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t max_horizontal = 0;
  uint32_t max_vertical = 0;
  std::vector<ReferenceComponent> components;  // in frame order
};

// Reads the coefficients of every block of a JPEG file with libjpeg, all scans applied.
// Throws std::runtime_error as DecodeWithLibjpeg does.
ReferenceCoefficients ReadCoefficientsWithLibjpeg(const std::string& path);

}  // namespace Lumarc::Reference
