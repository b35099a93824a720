#pragma once

#include <cstdint>

#include "lumarc/block_row.h"
#include "lumarc/inverse_dct.h"  // LUMARC_X86_SIMD

namespace Lumarc {

#if LUMARC_X86_SIMD
// Converts the first pixels of row_count (1 or 2) bitmap rows that share their chrominance
// rows, 32 pixels at a time, straight from the blocks into blue, green, red bytes: luma[r] feeds
// out[r], and each chrominance sample covers chroma_factor (1 or 2) pixels. The colour terms of
// each stretch of chrominance are computed once for all the rows. Returns how many pixels of each
// row it wrote (a multiple of 32, at most width). Only where inverse_dct_detail::Avx2Available.
std::uint32_t ConvertYCbCrRowsAvx2(const BlockRow* luma, std::uint8_t* const* out,
                                   std::uint32_t row_count, BlockRow cb, BlockRow cr,
                                   std::uint32_t chroma_factor, std::uint32_t width);
// The colour terms of the first chrominance pairs of a row, sixteen at a time: blue from Cb,
// red from Cr, and the green term that is subtracted; returns how many it computed (a multiple
// of 16, at most count).
std::uint32_t ComputeTermsAvx2(const std::uint8_t* cb, const std::uint8_t* cr, std::uint32_t count,
                               std::int16_t* blue, std::int16_t* green, std::int16_t* red);
#endif

}  // namespace Lumarc
