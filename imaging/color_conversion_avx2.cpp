// The colour conversion in 16-bit lanes, 32 pixels a step, read straight from the blocks. The
// colour terms are the tables' exact integer formulas (color_tables.h) in rounding high
// multiplies, and green's 32-bit sum in one multiply-add per chrominance pair, so no table is
// gathered. Luminance plus a term fits 16 bits (255 + 227 at most), the saturating pack clamps
// it to 0..255, and byte shuffles interleave the three channels into blue, green, red bytes.
//
// Each 128-bit lane holds 16 consecutive pixels: a 32-pixel step keeps pixels 0-7 and 16-23 in
// one register ("low") and 8-15 and 24-31 in the other ("high"), the order in which the
// in-lane unpacks double chrominance samples and the in-lane pack narrows them back, so no
// step crosses lanes.
#include "lumarc/color_conversion_avx2.h"

#if LUMARC_X86_SIMD
#include <immintrin.h>

#include <array>

#include "lumarc/color_tables.h"

namespace Lumarc {
namespace {

using namespace color_tables;

#define LUMARC_AVX2 __attribute__((target("avx2")))

// The three colour terms of sixteen chrominance pairs, as 16-bit values.
struct Terms {
  __m256i blue;
  __m256i green;  // subtracted from luminance
  __m256i red;
};

// The terms of 32 pixels, in the low and high pixel order.
struct PixelTerms {
  Terms low;
  Terms high;
};

// A constant in every 16-bit lane, read from memory: built from an immediate it would take
// three instructions each time the compiler lacks a register to keep it in.
template <std::int32_t Value>
LUMARC_AVX2 inline __m256i Splat16() {
  alignas(32) static constexpr std::array<std::int16_t, 16> kLanes = [] {
    std::array<std::int16_t, 16> lanes{};
    lanes.fill(static_cast<std::int16_t>(Value));
    return lanes;
  }();
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLanes.data()));
}

// Each 32-bit lane two 16-bit multipliers for a multiply-add: Low times the even 16-bit value,
// High times the odd one.
template <std::int32_t Low, std::int32_t High>
LUMARC_AVX2 inline __m256i MultiplierPair() {
  alignas(32) static constexpr std::array<std::int16_t, 16> kLanes = [] {
    std::array<std::int16_t, 16> lanes{};
    for (std::size_t i = 0; i < 16; i += 2) {
      lanes[i] = static_cast<std::int16_t>(Low);
      lanes[i + 1] = static_cast<std::int16_t>(High);
    }
    return lanes;
  }();
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLanes.data()));
}

// Whole x d plus the rounded fraction of d: Evaluate in color_tables.h.
template <std::int32_t Whole, std::int32_t Multiplier>
LUMARC_AVX2 inline __m256i Term(__m256i d) {
  const __m256i fraction = _mm256_mulhrs_epi16(d, Splat16<Multiplier>());
  if constexpr (Whole == 1) return _mm256_add_epi16(fraction, d);
  return fraction;
}

// Green subtracts (kGreenFromCb[cb] + kGreenFromCr[cr] + 2^15) >> 16. With 46801 = 2^16 - 18735
// that is dcr + ((22553 dcb - 18735 dcr + fractions + 2^15) >> 16), whose sum one multiply-add
// and one add make in 32 bits.
LUMARC_AVX2 inline __m256i GreenTerm(__m256i dcb, __m256i dcr, __m256i fractions) {
  const __m256i whole = MultiplierPair<kGreenCbWhole, kGreenCrWhole - 65536>();
  // fractions + 2^15 lies in 32583..32951: as an unsigned 16-bit value it widens with zeros.
  const __m256i rounded = _mm256_add_epi16(fractions, Splat16<INT16_MIN>());
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(dcb, dcr), whole),
                                       _mm256_unpacklo_epi16(rounded, zero));
  const __m256i high = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(dcb, dcr), whole),
                                        _mm256_unpackhi_epi16(rounded, zero));
  const __m256i shifted =
      _mm256_packs_epi32(_mm256_srai_epi32(low, 16), _mm256_srai_epi32(high, 16));
  return _mm256_add_epi16(shifted, dcr);
}

// The terms of sixteen chrominance pairs given as 16-bit samples.
LUMARC_AVX2 inline Terms TermsOf(__m256i cb, __m256i cr) {
  const __m256i dcb = _mm256_sub_epi16(cb, Splat16<128>());
  const __m256i dcr = _mm256_sub_epi16(cr, Splat16<128>());
  const __m256i fractions =
      _mm256_add_epi16(Term<0, kGreenCbFraction16>(dcb), Term<0, kGreenCrFraction16>(dcr));
  return {Term<1, kBlueFraction16>(dcb), GreenTerm(dcb, dcr, fractions),
          Term<1, kRedFraction16>(dcr)};
}

// Eight samples in every 64-bit lane: a broadcast straight from memory takes a load and no
// shuffle, and shuffles are what the conversion has the fewest units for.
LUMARC_AVX2 inline __m256i Broadcast(const std::uint8_t* samples) {
  return _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples)));
}

// Four runs of eight samples, widened to 16 bits: the first and third runs in the low register,
// the second and fourth in the high one (one run to a lane).
struct Samples32 {
  __m256i low;
  __m256i high;
};
LUMARC_AVX2 inline Samples32 Widened(const std::uint8_t* first, const std::uint8_t* second,
                                     const std::uint8_t* third, const std::uint8_t* fourth) {
  const __m256i first_two = _mm256_blend_epi32(Broadcast(first), Broadcast(second), 0xCC);
  const __m256i last_two = _mm256_blend_epi32(Broadcast(third), Broadcast(fourth), 0xCC);
  const __m256i runs = _mm256_blend_epi32(first_two, last_two, 0xF0);
  const __m256i zero = _mm256_setzero_si256();
  return {_mm256_unpacklo_epi8(runs, zero), _mm256_unpackhi_epi8(runs, zero)};
}

// The 32 samples of a row's first four blocks, in the low and high pixel order.
LUMARC_AVX2 inline Samples32 SamplesAt(BlockRow row) {
  return Widened(row.SamplesOfBlock(0), row.SamplesOfBlock(1), row.SamplesOfBlock(2),
                 row.SamplesOfBlock(3));
}

// The terms of 32 pixels whose chrominance starts at the blocks of cb and cr. With one
// chrominance sample per pixel they come from four blocks; with one per two pixels, sixteen
// samples from two blocks are computed once and each doubled by the in-lane unpacks, which yield
// the low and high order.
template <std::uint32_t ChromaFactor>
LUMARC_AVX2 inline PixelTerms PixelTermsAt(BlockRow cb, BlockRow cr) {
  if constexpr (ChromaFactor == 1) {
    const Samples32 blue = SamplesAt(cb);
    const Samples32 red = SamplesAt(cr);
    return {TermsOf(blue.low, red.low), TermsOf(blue.high, red.high)};
  } else {
    // Cb of both blocks in the low register, Cr in the high.
    const Samples32 chroma = Widened(cb.SamplesOfBlock(0), cr.SamplesOfBlock(0),
                                     cb.SamplesOfBlock(1), cr.SamplesOfBlock(1));
    const Terms t = TermsOf(chroma.low, chroma.high);
    return {{_mm256_unpacklo_epi16(t.blue, t.blue), _mm256_unpacklo_epi16(t.green, t.green),
             _mm256_unpacklo_epi16(t.red, t.red)},
            {_mm256_unpackhi_epi16(t.blue, t.blue), _mm256_unpackhi_epi16(t.green, t.green),
             _mm256_unpackhi_epi16(t.red, t.red)}};
  }
}

// In each lane, where each byte of output part `part` (bytes 16 x part to 16 x part + 15 of the
// lane's 48) comes from in one channel's 16 bytes: byte position is channel position mod 3 of
// pixel position / 3; 0x80 (a zero) where another channel goes.
constexpr std::array<std::uint8_t, 32> InterleaveMask(int part, int channel) {
  std::array<std::uint8_t, 32> mask{};
  for (int p = 0; p < 32; ++p) {
    const int position = 16 * part + p % 16;
    mask[static_cast<std::size_t>(p)] =
        position % 3 == channel ? static_cast<std::uint8_t>(position / 3) : 0x80;
  }
  return mask;
}

template <int Part, int Channel>
LUMARC_AVX2 inline __m256i Place(__m256i channel) {
  static constexpr std::array<std::uint8_t, 32> kMask = InterleaveMask(Part, Channel);
  return _mm256_shuffle_epi8(channel,
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kMask.data())));
}

// Part `Part` of both lanes: the low lane's 16 pixels fill out[0..47], the high lane's out[48..95].
template <int Part>
LUMARC_AVX2 inline void StorePart(__m256i blue, __m256i green, __m256i red, std::uint8_t* out) {
  const __m256i bytes = _mm256_or_si256(
      _mm256_or_si256(Place<Part, 0>(blue), Place<Part, 1>(green)), Place<Part, 2>(red));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * Part), _mm256_castsi256_si128(bytes));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48 + 16 * Part),
                   _mm256_extracti128_si256(bytes, 1));
}

// 32 pixels of luminance with their terms, clamped by the saturating pack (which also restores
// pixel order within each lane) and interleaved.
LUMARC_AVX2 inline void StorePixels(Samples32 y, const PixelTerms& terms, std::uint8_t* out) {
  const __m256i blue = _mm256_packus_epi16(_mm256_add_epi16(y.low, terms.low.blue),
                                           _mm256_add_epi16(y.high, terms.high.blue));
  const __m256i green = _mm256_packus_epi16(_mm256_sub_epi16(y.low, terms.low.green),
                                            _mm256_sub_epi16(y.high, terms.high.green));
  const __m256i red = _mm256_packus_epi16(_mm256_add_epi16(y.low, terms.low.red),
                                          _mm256_add_epi16(y.high, terms.high.red));
  StorePart<0>(blue, green, red, out);
  StorePart<1>(blue, green, red, out);
  StorePart<2>(blue, green, red, out);
}

// Rows (1 or 2) bitmap rows over `steps` steps of 32 pixels, the blocks walked by pointer.
template <std::uint32_t ChromaFactor, std::uint32_t Rows>
LUMARC_AVX2 void ConvertRows(const BlockRow* luma, std::uint8_t* const* out, BlockRow cb,
                             BlockRow cr, std::uint32_t steps) {
  BlockRow y[Rows];
  std::uint8_t* pixels[Rows];
  for (std::uint32_t r = 0; r < Rows; ++r) {
    y[r] = luma[r];
    pixels[r] = out[r];
  }
  for (std::uint32_t step = 0; step < steps; ++step) {
    const PixelTerms terms = PixelTermsAt<ChromaFactor>(cb, cr);
    for (std::uint32_t r = 0; r < Rows; ++r) {
      StorePixels(SamplesAt(y[r]), terms, pixels[r]);
      y[r].units += 4;
      pixels[r] += 96;
    }
    cb.units += 4 / ChromaFactor;
    cr.units += 4 / ChromaFactor;
  }
}

template <std::uint32_t ChromaFactor>
LUMARC_AVX2 void ConvertRowsOf(const BlockRow* luma, std::uint8_t* const* out,
                               std::uint32_t row_count, BlockRow cb, BlockRow cr,
                               std::uint32_t steps) {
  row_count == 2 ? ConvertRows<ChromaFactor, 2>(luma, out, cb, cr, steps)
                 : ConvertRows<ChromaFactor, 1>(luma, out, cb, cr, steps);
}

}  // namespace

LUMARC_AVX2 LUMARC_VECTOR_ENTRY std::uint32_t ConvertYCbCrRowsAvx2(
    const BlockRow* luma, std::uint8_t* const* out, std::uint32_t row_count, BlockRow cb,
    BlockRow cr, std::uint32_t chroma_factor, std::uint32_t width) {
  const std::uint32_t steps = width / 32;
  chroma_factor == 1 ? ConvertRowsOf<1>(luma, out, row_count, cb, cr, steps)
                     : ConvertRowsOf<2>(luma, out, row_count, cb, cr, steps);
  return 32 * steps;
}

LUMARC_AVX2 LUMARC_VECTOR_ENTRY std::uint32_t ComputeTermsAvx2(
    const std::uint8_t* cb, const std::uint8_t* cr, std::uint32_t count, std::int16_t* blue,
    std::int16_t* green, std::int16_t* red) {
  std::uint32_t x = 0;
  for (; x + 16 <= count; x += 16) {
    const Terms terms =
        TermsOf(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x))),
                _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(blue + x), terms.blue);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(green + x), terms.green);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(red + x), terms.red);
  }
  return x;
}

}  // namespace Lumarc

#endif  // LUMARC_X86_SIMD
