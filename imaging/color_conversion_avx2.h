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
// The colour terms of the first chrominance pairs of a row, eight at a time: blue from Cb, red
// from Cr, and the green term that is subtracted; returns how many it computed (a multiple of
// 8, at most count).
std::uint32_t ComputeTermsAvx2(const std::uint8_t* cb, const std::uint8_t* cr, std::uint32_t count,
                               std::int16_t* blue, std::int16_t* green, std::int16_t* red);
#endif

}  // namespace Lumarc
