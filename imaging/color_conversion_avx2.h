#pragma once

#include <cstdint>

#include "lumarc/inverse_dct.h"  // LUMARC_X86_SIMD

namespace Lumarc {

#if LUMARC_X86_SIMD
// Converts the first pixels of one bitmap row, sixteen at a time, from full-resolution
// luminance and chrominance terms (blue and red added, green subtracted) at chroma_factor 1 or
// 2 pixels per term; returns how many pixels it wrote (a multiple of 16, at most width). Only
// where inverse_dct_detail::Avx2Available.
std::uint32_t ConvertRowAvx2(const std::uint8_t* luma, const std::int16_t* blue,
                             const std::int16_t* green, const std::int16_t* red,
                             std::uint32_t chroma_factor, std::uint32_t width, std::uint8_t* out);
#endif

}  // namespace Lumarc
