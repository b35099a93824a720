// One bitmap row of the colour conversion sixteen pixels at a time: luminance plus each
// chrominance term in 16 bits (no overflow: 255 + 227 at most), clamped to 0..255 by the
// saturating pack, and the three channels interleaved into blue, green, red bytes. The same
// sums and clamps as the scalar loop, so the same bytes.
#include "color_conversion_avx2.h"

#if LUMARC_X86_SIMD
#include <immintrin.h>

#include <array>

#include "color_tables.h"

namespace Lumarc {
namespace {

#define LUMARC_AVX2 __attribute__((target("avx2")))

// Where each byte of 16 output bytes comes from in one channel's 16 samples: output byte
// 16 x part + p is channel (16 x part + p) mod 3 of pixel (16 x part + p) / 3; 0x80 (no byte)
// where another channel goes.
constexpr std::array<std::uint8_t, 16> InterleaveMask(int part, int channel) {
  std::array<std::uint8_t, 16> mask{};
  for (int p = 0; p < 16; ++p) {
    const int position = 16 * part + p;
    mask[static_cast<std::size_t>(p)] =
        position % 3 == channel ? static_cast<std::uint8_t>(position / 3) : 0x80;
  }
  return mask;
}

template <int Part, int Channel>
LUMARC_AVX2 inline __m128i Place(__m128i samples) {
  static constexpr std::array<std::uint8_t, 16> kMask = InterleaveMask(Part, Channel);
  return _mm_shuffle_epi8(samples, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMask.data())));
}

template <int Part>
LUMARC_AVX2 inline void StorePart(__m128i blue, __m128i green, __m128i red, std::uint8_t* out) {
  const __m128i bytes =
      _mm_or_si128(_mm_or_si128(Place<Part, 0>(blue), Place<Part, 1>(green)), Place<Part, 2>(red));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * Part), bytes);
}

// Sixteen terms for sixteen pixels: read as they are, or eight read and each doubled.
LUMARC_AVX2 inline __m256i Terms(const std::int16_t* terms, std::uint32_t first_pixel,
                                 std::uint32_t chroma_factor) {
  if (chroma_factor == 1) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(terms + first_pixel));
  }
  const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(terms + first_pixel / 2));
  return _mm256_set_m128i(_mm_unpackhi_epi16(eight, eight), _mm_unpacklo_epi16(eight, eight));
}

// Sixteen 16-bit values clamped to 0..255, as bytes in order.
LUMARC_AVX2 inline __m128i Clamped(__m256i values) {
  return _mm_packus_epi16(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
}

// A colour table's entries for eight samples, by its exact integer formula (gathers from the
// tables would be slower on many processors).
LUMARC_AVX2 inline __m256i Evaluate(const color_tables::TableFormula& formula, __m256i samples) {
  const __m256i d = _mm256_sub_epi32(samples, _mm256_set1_epi32(128));
  const __m256i scaled =
      _mm256_mullo_epi32(_mm256_abs_epi32(d), _mm256_set1_epi32(formula.fraction));
  const __m256i rounded =
      _mm256_srai_epi32(_mm256_add_epi32(scaled, _mm256_set1_epi32(1 << (formula.shift - 1))),
                        static_cast<int>(formula.shift));
  const __m256i fraction_part = _mm256_sign_epi32(rounded, d);
  if (formula.whole == 0) return fraction_part;
  return _mm256_add_epi32(_mm256_mullo_epi32(d, _mm256_set1_epi32(formula.whole)), fraction_part);
}

// Every term fits 16 bits (-227 to 225), so the saturating pack only narrows.
LUMARC_AVX2 inline void StoreTerms(std::int16_t* to, __m256i terms) {
  const __m128i narrow =
      _mm_packs_epi32(_mm256_castsi256_si128(terms), _mm256_extracti128_si256(terms, 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), narrow);
}

}  // namespace

LUMARC_AVX2 LUMARC_VECTOR_ENTRY std::uint32_t ConvertRowAvx2(
    const std::uint8_t* luma, const std::int16_t* blue, const std::int16_t* green,
    const std::int16_t* red, std::uint32_t chroma_factor, std::uint32_t width, std::uint8_t* out) {
  std::uint32_t j = 0;
  for (; j + 16 <= width; j += 16) {
    const __m256i y =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + j)));
    const __m128i b = Clamped(_mm256_add_epi16(y, Terms(blue, j, chroma_factor)));
    const __m128i g = Clamped(_mm256_sub_epi16(y, Terms(green, j, chroma_factor)));
    const __m128i r = Clamped(_mm256_add_epi16(y, Terms(red, j, chroma_factor)));
    std::uint8_t* pixels = out + 3 * j;
    StorePart<0>(b, g, r, pixels);
    StorePart<1>(b, g, r, pixels);
    StorePart<2>(b, g, r, pixels);
  }
  return j;
}

LUMARC_AVX2 LUMARC_VECTOR_ENTRY std::uint32_t ComputeTermsAvx2(
    const std::uint8_t* cb, const std::uint8_t* cr, std::uint32_t count, std::int16_t* blue,
    std::int16_t* green, std::int16_t* red) {
  using namespace color_tables;
  const __m256i rounding = _mm256_set1_epi32(32768);
  std::uint32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m256i b =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x)));
    const __m256i r =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x)));
    const __m256i green_sum = _mm256_add_epi32(
        _mm256_add_epi32(Evaluate(kGreenCbFormula, b), Evaluate(kGreenCrFormula, r)), rounding);
    StoreTerms(blue + x, Evaluate(kBlueFormula, b));
    StoreTerms(green + x, _mm256_srai_epi32(green_sum, 16));
    StoreTerms(red + x, Evaluate(kRedFormula, r));
  }
  return x;
}

}  // namespace Lumarc

#endif  // LUMARC_X86_SIMD
