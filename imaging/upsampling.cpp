// Lays a component's blocks out into one full-resolution sample plane. Subsampled components
// are enlarged by repeating samples (nearest neighbour): plane sample (Y, X) is sample
// ((Y / vf) mod 8, (X / hf) mod 8) of block (Y / (8 vf), X / (8 hf)).
#include <algorithm>
#include <new>

#include "lumarc/image_component.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"

namespace Lumarc {

void ImageComponent::Upsample() {
  // The grid was size-checked when it was made, so this product fits (at most kMaxBufferBytes).
  const std::size_t size = std::size_t{grid.data_unit_rows} * grid.data_unit_cols *
                           grid.vertical_factor * grid.horizontal_factor * 64;
  if (size == 0 || !data_units) return;
  if (!upsampled_samples) {
    upsampled_samples.reset(new (std::nothrow) std::uint8_t[size]);
    if (!upsampled_samples) throw JpegDecoder::JpegError(message::kNotEnoughMemory);
  }
  std::uint8_t* out = upsampled_samples.get();
  for (std::uint32_t p = 0; p < grid.data_unit_rows; ++p) {
    for (std::uint32_t y = 0; y < 8; ++y) {
      for (std::uint32_t repeat = 0; repeat < grid.vertical_factor; ++repeat) {
        for (std::uint32_t q = 0; q < grid.data_unit_cols; ++q) {
          const std::uint8_t* row = &DataUnitAt(p, q).samples[8 * y];
          if (grid.horizontal_factor == 1) {
            out = std::copy(row, row + 8, out);
          } else {
            for (std::uint32_t x = 0; x < 8; ++x)
              out = std::fill_n(out, grid.horizontal_factor, row[x]);
          }
        }
      }
    }
  }
}

}  // namespace Lumarc
