// The integer inverse DCT eight lanes at a time. Every lane runs the scalar butterflies' exact
// 32-bit operations (the same products, shifts and sums), so for every block it accepts, one
// whose 32-bit arithmetic cannot overflow, the samples are bit for bit those of the scalar
// transform, which would compute them in 32 or 64 bits alike. The rest are left to the scalar
// transform.
//
// Each block is sorted once on its coefficients: DC-only blocks are filled at once; blocks of
// small coefficients and products (every ordinary block of an 8-bit encoder) run unchecked
// after one bound, in half the work where only the top-left 4 x 4 is nonzero and less again
// where only the top-left 2 x 2 is; the rest, coarse or extreme, check each pass's actual
// inputs.
#include "lumarc/inverse_dct.h"

#if LUMARC_X86_SIMD
#include <immintrin.h>

namespace Lumarc::inverse_dct_detail {
namespace {

#define LUMARC_AVX2 __attribute__((target("avx2")))

// Multipliers stay below 2^21 (255 x 6726 at most), so coefficients of magnitude below 2^10 have
// products that fit 32 bits.
constexpr std::int16_t kSmallCoefficientMask = ~std::int16_t{1023};
// A butterfly computes in 32 bits without overflow when the magnitudes of its eight inputs sum
// to at most kNarrowSumLimit: its largest intermediates, (t5 - t3) x 83 and (o1 + o3) x 45, lie
// below 83 times that sum (2.075e9 < 2^31) and its outputs below 3.21 times it. Both passes are
// checked on the values they actually get, so ordinary blocks stay narrow even where a single
// coarse high-frequency product (near 2^20) fails the scalar transform's per-product bound.
constexpr std::int32_t kNarrowSumLimit = 25'000'000;
// Products up to 2^24 are exact in single precision and fit 32 bits; so do eight of them added.
constexpr float kExactProductLimit = 16777216.0f;

LUMARC_AVX2 inline __m128i Add(__m128i a, __m128i b) {
  return _mm_add_epi32(a, b);
}
LUMARC_AVX2 inline __m256i Add(__m256i a, __m256i b) {
  return _mm256_add_epi32(a, b);
}
LUMARC_AVX2 inline __m128i Sub(__m128i a, __m128i b) {
  return _mm_sub_epi32(a, b);
}
LUMARC_AVX2 inline __m256i Sub(__m256i a, __m256i b) {
  return _mm256_sub_epi32(a, b);
}
// A product with a rotation constant, back to the butterfly's scale (6 fraction bits).
LUMARC_AVX2 inline __m128i Rotate(__m128i a, std::int32_t constant) {
  return _mm_srai_epi32(_mm_mullo_epi32(a, _mm_set1_epi32(constant)), 6);
}
LUMARC_AVX2 inline __m256i Rotate(__m256i a, std::int32_t constant) {
  return _mm256_srai_epi32(_mm256_mullo_epi32(a, _mm256_set1_epi32(constant)), 6);
}

// A butterfly's terms before its last stage: the even sums (bias included) with f and g, and
// the odd terms.
template <typename Vector>
struct ButterflyTerms {
  Vector e0, e1, f, g;
  Vector o4, odd0, odd1, odd2;
};

// The last stage: even and odd terms added and subtracted into the eight outputs.
template <typename Vector>
LUMARC_AVX2 inline void CombineTerms(const ButterflyTerms<Vector>& terms, Vector (&out)[8]) {
  const Vector e0g = Add(terms.e0, terms.g);
  const Vector e0_g = Sub(terms.e0, terms.g);
  const Vector e1f = Add(terms.e1, terms.f);
  const Vector e1_f = Sub(terms.e1, terms.f);
  out[0] = Add(e0g, terms.odd0);
  out[1] = Add(e1f, terms.odd1);
  out[2] = Add(e1_f, terms.odd2);
  out[3] = Add(e0_g, terms.o4);
  out[4] = Sub(e0_g, terms.o4);
  out[5] = Sub(e1_f, terms.odd2);
  out[6] = Sub(e1f, terms.odd1);
  out[7] = Sub(e0g, terms.odd0);
}

// The scalar butterfly, one transform per lane.
LUMARC_AVX2 inline void Butterfly(__m256i (&t)[8], __m256i bias) {
  const __m256i o1 = Rotate(Sub(t[1], t[7]), kIdctK1);
  const __m256i o3 = Rotate(Sub(t[5], t[3]), kIdctK3);
  const __m256i o4 = Rotate(Add(o1, o3), kIdctK4);
  const __m256i o5 = Add(Sub(o4, o3), o1);
  const __m256i s17 = Add(t[1], t[7]);
  const __m256i s35 = Add(t[3], t[5]);
  const __m256i o6 = Rotate(Sub(s17, s35), kIdctK4);
  const __m256i f = Rotate(Sub(t[2], t[6]), kIdctK4);
  CombineTerms<__m256i>({.e0 = Add(Add(t[0], t[4]), bias),
                         .e1 = Add(Sub(t[0], t[4]), bias),
                         .f = f,
                         .g = Add(Add(t[2], t[6]), f),
                         .o4 = o4,
                         .odd0 = Add(Add(s17, s35), o5),
                         .odd1 = Add(o6, o5),
                         .odd2 = Add(o6, o4)},
                        t);
}

// Rows become columns: lane k of register r moves to lane r of register k.
LUMARC_AVX2 inline void Transpose(__m256i (&r)[8]) {
  __m256i t[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
  }
  __m256i u[8];
  for (int i = 0; i < 8; i += 4) {
    u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
    u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
    u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
    u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
  }
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
  }
}

// Dequantizes one block into t (row r in register r); false when a product is too large for
// 32 bits. Single precision decides that exactly: both factors are exact in it, and rounding
// never carries a product above 2^24 down to it.
LUMARC_AVX2 inline bool Dequantize(const CoefficientBlock& coefficients,
                                   const QuantizationTable& table, __m256i (&t)[8]) {
  const std::int32_t* multipliers = table.ScaledTable().data();
  const __m256 magnitude_mask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
  __m256 largest = _mm256_setzero_ps();
  for (int r = 0; r < 8; ++r) {
    const __m256i c = _mm256_cvtepi16_epi32(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients.data() + 8 * r)));
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(multipliers + 8 * r));
    const __m256 product = _mm256_mul_ps(_mm256_cvtepi32_ps(c), _mm256_cvtepi32_ps(m));
    largest = _mm256_max_ps(largest, _mm256_and_ps(product, magnitude_mask));
    t[r] = _mm256_mullo_epi32(c, m);
  }
  const __m256 over = _mm256_cmp_ps(largest, _mm256_set1_ps(kExactProductLimit), _CMP_GT_OQ);
  return _mm256_testz_ps(over, over) != 0;
}

// Whether the eight butterflies, one per lane over t[0..7], stay inside 32 bits.
LUMARC_AVX2 inline bool ButterfliesFit(const __m256i (&t)[8]) {
  __m256i sum = _mm256_abs_epi32(t[0]);
  for (int k = 1; k < 8; ++k) sum = _mm256_add_epi32(sum, _mm256_abs_epi32(t[k]));
  const __m256i over = _mm256_cmpgt_epi32(sum, _mm256_set1_epi32(kNarrowSumLimit));
  return _mm256_testz_si256(over, over) != 0;
}

// Shifts, clamps to 0..255 (two saturating packs) and stores the eight sample rows.
LUMARC_AVX2 inline void StoreSamples(const __m256i (&y)[8], DataUnit& unit) {
  // Each pack works within 128-bit halves; this gathers each row's two halves together again.
  const __m256i row_order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (int half = 0; half < 2; ++half) {
    const __m256i* rows = y + 4 * half;
    const __m256i words01 =
        _mm256_packs_epi32(_mm256_srai_epi32(rows[0], 12), _mm256_srai_epi32(rows[1], 12));
    const __m256i words23 =
        _mm256_packs_epi32(_mm256_srai_epi32(rows[2], 12), _mm256_srai_epi32(rows[3], 12));
    const __m256i bytes =
        _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words01, words23), row_order);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(unit.samples.data() + 32 * half), bytes);
  }
}

// The two butterfly passes with the transposes around them, from dequantized coefficient rows
// to sample rows. Pass 1 transforms the coefficient rows, eight at once once they are columns;
// pass 2 the workspace columns, eight at once once the rows are lanes again. The scalar
// transform's shortcut for rows without AC values is left out: the butterfly gives those rows
// the same outputs (every output equals t0). `Fits` decides whether a pass may run in 32 bits.
template <typename Fits>
LUMARC_AVX2 inline bool TransformRows(__m256i (&t)[8], DataUnit& unit, Fits fits) {
  Transpose(t);
  if (!fits(t)) return false;
  Butterfly(t, _mm256_setzero_si256());
  Transpose(t);
  if (!fits(t)) return false;
  Butterfly(t, _mm256_set1_epi32(kLevelShiftAndRounding));
  StoreSamples(t, unit);
  return true;
}

// The 64 coefficients as four registers of two rows each.
struct CoefficientPairs {
  __m256i rows[4];
};

LUMARC_AVX2 inline CoefficientPairs LoadPairs(const CoefficientBlock& coefficients) {
  const auto* source = reinterpret_cast<const __m256i*>(coefficients.data());
  return {{_mm256_loadu_si256(source), _mm256_loadu_si256(source + 1),
           _mm256_loadu_si256(source + 2), _mm256_loadu_si256(source + 3)}};
}

LUMARC_AVX2 inline bool IsDcOnly(const CoefficientPairs& pairs) {
  const __m256i all_but_first =
      _mm256_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i ac = _mm256_or_si256(
      _mm256_or_si256(_mm256_and_si256(pairs.rows[0], all_but_first), pairs.rows[1]),
      _mm256_or_si256(pairs.rows[2], pairs.rows[3]));
  return _mm256_testz_si256(ac, ac) != 0;
}

LUMARC_AVX2 inline bool HasSmallCoefficients(const CoefficientPairs& pairs) {
  const __m256i magnitudes = _mm256_or_si256(
      _mm256_or_si256(_mm256_abs_epi16(pairs.rows[0]), _mm256_abs_epi16(pairs.rows[1])),
      _mm256_or_si256(_mm256_abs_epi16(pairs.rows[2]), _mm256_abs_epi16(pairs.rows[3])));
  return _mm256_testz_si256(magnitudes, _mm256_set1_epi16(kSmallCoefficientMask)) != 0;
}

// Dequantizes a block of small coefficients into t (row r in register r): every product is
// exact in 32 bits and below 2^31 in magnitude, so its absolute value is too.
LUMARC_AVX2 inline void DequantizeSmall(const CoefficientBlock& coefficients,
                                        const QuantizationTable& table, __m256i (&t)[8]) {
  const std::int32_t* multipliers = table.ScaledTable().data();
  for (int r = 0; r < 8; ++r) {
    const __m256i c = _mm256_cvtepi16_epi32(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients.data() + 8 * r)));
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(multipliers + 8 * r));
    t[r] = _mm256_mullo_epi32(c, m);
  }
}

// Whether the products of small coefficients are all within kAvx2ProductLimit.
LUMARC_AVX2 inline bool ProductsWithinLimit(const __m256i (&t)[8]) {
  __m256i largest = _mm256_abs_epi32(t[0]);
  for (int r = 1; r < 8; ++r) largest = _mm256_max_epi32(largest, _mm256_abs_epi32(t[r]));
  const __m256i over = _mm256_cmpgt_epi32(largest, _mm256_set1_epi32(kAvx2ProductLimit));
  return _mm256_testz_si256(over, over) != 0;
}

// Blocks whose coefficients all lie in the top-left 4 x 4, most blocks of a moderate quality
// that are not DC-only. Rows 4 to 7 and every butterfly input t4 to t7 are then 0: pass 1 has
// four rows, in half registers, and pass 2 four inputs per column.
LUMARC_AVX2 inline bool IsTopLeftFourByFour(const CoefficientPairs& pairs) {
  const __m256i right_half =
      _mm256_setr_epi16(0, 0, 0, 0, -1, -1, -1, -1, 0, 0, 0, 0, -1, -1, -1, -1);
  const __m256i outside =
      _mm256_or_si256(_mm256_and_si256(_mm256_or_si256(pairs.rows[0], pairs.rows[1]), right_half),
                      _mm256_or_si256(pairs.rows[2], pairs.rows[3]));
  return _mm256_testz_si256(outside, outside) != 0;
}

// The scalar butterfly with t4 to t7 zero, term for term: t5 - t3 is -t3, so its product is
// t3 x -k3 exactly; s17 is t1, s35 is t3, t2 -+ t6 is t2 and both even sums are t0 + bias.
template <typename Vector>
LUMARC_AVX2 inline void ButterflyOfFour(const Vector (&t)[4], Vector bias, Vector (&out)[8]) {
  const Vector o1 = Rotate(t[1], kIdctK1);
  const Vector o3 = Rotate(t[3], -kIdctK3);
  const Vector o4 = Rotate(Add(o1, o3), kIdctK4);
  const Vector o5 = Add(Sub(o4, o3), o1);
  const Vector o6 = Rotate(Sub(t[1], t[3]), kIdctK4);
  const Vector f = Rotate(t[2], kIdctK4);
  const Vector e = Add(t[0], bias);
  CombineTerms<Vector>({.e0 = e,
                        .e1 = e,
                        .f = f,
                        .g = Add(t[2], f),
                        .o4 = o4,
                        .odd0 = Add(Add(t[1], t[3]), o5),
                        .odd1 = Add(o6, o5),
                        .odd2 = Add(o6, o4)},
                       out);
}

LUMARC_AVX2 inline void Transpose4x4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
  const __m128i ab_low = _mm_unpacklo_epi32(a, b);
  const __m128i cd_low = _mm_unpacklo_epi32(c, d);
  const __m128i ab_high = _mm_unpackhi_epi32(a, b);
  const __m128i cd_high = _mm_unpackhi_epi32(c, d);
  a = _mm_unpacklo_epi64(ab_low, cd_low);
  b = _mm_unpackhi_epi64(ab_low, cd_low);
  c = _mm_unpacklo_epi64(ab_high, cd_high);
  d = _mm_unpackhi_epi64(ab_high, cd_high);
}

// A top-left 4 x 4 block of small coefficients; false when a product passes the limit.
LUMARC_AVX2 inline bool TransformFourByFour(DataUnit& unit, const CoefficientBlock& coefficients,
                                            const QuantizationTable& table) {
  const std::int32_t* multipliers = table.ScaledTable().data();
  __m128i t[4];
  __m128i largest = _mm_setzero_si128();
  for (int r = 0; r < 4; ++r) {
    const __m128i c = _mm_cvtepi16_epi32(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(coefficients.data() + 8 * r)));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(multipliers + 8 * r));
    t[r] = _mm_mullo_epi32(c, m);
    largest = _mm_max_epi32(largest, _mm_abs_epi32(t[r]));
  }
  const __m128i over = _mm_cmpgt_epi32(largest, _mm_set1_epi32(kAvx2ProductLimit));
  if (_mm_testz_si128(over, over) == 0) return false;
  Transpose4x4(t[0], t[1], t[2], t[3]);  // lanes are rows now
  __m128i columns[8];
  ButterflyOfFour(t, _mm_setzero_si128(), columns);
  Transpose4x4(columns[0], columns[1], columns[2], columns[3]);
  Transpose4x4(columns[4], columns[5], columns[6], columns[7]);
  __m256i rows[4];
  for (int r = 0; r < 4; ++r) rows[r] = _mm256_set_m128i(columns[r + 4], columns[r]);
  __m256i samples[8];
  ButterflyOfFour(rows, _mm256_set1_epi32(kLevelShiftAndRounding), samples);
  StoreSamples(samples, unit);
  return true;
}

// Blocks whose coefficients all lie in the top-left 2 x 2, most of the rest of a sparse picture's.
LUMARC_AVX2 inline bool IsTopLeftTwoByTwo(const CoefficientPairs& pairs) {
  const __m256i beyond_two =
      _mm256_setr_epi16(0, 0, -1, -1, -1, -1, -1, -1, 0, 0, -1, -1, -1, -1, -1, -1);
  const __m256i outside = _mm256_or_si256(
      _mm256_and_si256(pairs.rows[0], beyond_two),
      _mm256_or_si256(pairs.rows[1], _mm256_or_si256(pairs.rows[2], pairs.rows[3])));
  return _mm256_testz_si256(outside, outside) != 0;
}

// ButterflyOfFour with t2 and t3 zero as well, term for term: every product of a zero input is
// zero, so o3, f and g drop out, o4 is o1's rotation and o6 is t1's.
template <typename Vector>
LUMARC_AVX2 inline void ButterflyOfTwo(Vector t0, Vector t1, Vector bias, Vector (&out)[8]) {
  const Vector o1 = Rotate(t1, kIdctK1);
  const Vector o4 = Rotate(o1, kIdctK4);
  const Vector o5 = Add(o4, o1);
  const Vector o6 = Rotate(t1, kIdctK4);
  const Vector e = Add(t0, bias);
  const Vector zero{};
  CombineTerms<Vector>({.e0 = e,
                        .e1 = e,
                        .f = zero,
                        .g = zero,
                        .o4 = o4,
                        .odd0 = Add(t1, o5),
                        .odd1 = Add(o6, o5),
                        .odd2 = Add(o6, o4)},
                       out);
}

// A top-left 2 x 2 block of small coefficients; false when a product passes the limit.
LUMARC_AVX2 inline bool TransformTwoByTwo(DataUnit& unit, const CoefficientBlock& coefficients,
                                          const QuantizationTable& table) {
  const std::int32_t* multipliers = table.ScaledTable().data();
  // Lanes are rows 0 and 1 (and two of zeros): t0 the DC column, t1 the first AC one.
  const __m128i t0 = _mm_mullo_epi32(_mm_setr_epi32(coefficients[0], coefficients[8], 0, 0),
                                     _mm_setr_epi32(multipliers[0], multipliers[8], 0, 0));
  const __m128i t1 = _mm_mullo_epi32(_mm_setr_epi32(coefficients[1], coefficients[9], 0, 0),
                                     _mm_setr_epi32(multipliers[1], multipliers[9], 0, 0));
  const __m128i largest = _mm_max_epi32(_mm_abs_epi32(t0), _mm_abs_epi32(t1));
  const __m128i over = _mm_cmpgt_epi32(largest, _mm_set1_epi32(kAvx2ProductLimit));
  if (_mm_testz_si128(over, over) == 0) return false;
  __m128i columns[8];
  ButterflyOfTwo(t0, t1, _mm_setzero_si128(), columns);
  Transpose4x4(columns[0], columns[1], columns[2], columns[3]);
  Transpose4x4(columns[4], columns[5], columns[6], columns[7]);
  __m256i samples[8];
  ButterflyOfTwo(_mm256_set_m128i(columns[4], columns[0]), _mm256_set_m128i(columns[5], columns[1]),
                 _mm256_set1_epi32(kLevelShiftAndRounding), samples);
  StoreSamples(samples, unit);
  return true;
}

// A block too coarse or too large for the one bound: each pass is checked on its own inputs.
__attribute__((noinline)) LUMARC_AVX2 bool TransformChecked(DataUnit& unit,
                                                            const CoefficientBlock& coefficients,
                                                            const QuantizationTable& table) {
  __m256i t[8];
  if (!Dequantize(coefficients, table, t)) return false;
  return TransformRows(
      t, unit, [](const __m256i(&inputs)[8]) LUMARC_AVX2 { return ButterfliesFit(inputs); });
}

}  // namespace

LUMARC_AVX2 LUMARC_VECTOR_ENTRY bool InverseDctAvx2(DataUnit& unit,
                                                    const CoefficientBlock& coefficients,
                                                    const QuantizationTable& table) {
  const CoefficientPairs pairs = LoadPairs(coefficients);
  if (IsDcOnly(pairs)) {
    unit.samples.fill(DcOnlySample(coefficients[0], table.ScaledTable()[0]));
    return true;
  }
  if (!HasSmallCoefficients(pairs)) return TransformChecked(unit, coefficients, table);
  if (IsTopLeftTwoByTwo(pairs)) {
    return TransformTwoByTwo(unit, coefficients, table) ||
           TransformChecked(unit, coefficients, table);
  }
  if (IsTopLeftFourByFour(pairs)) {
    return TransformFourByFour(unit, coefficients, table) ||
           TransformChecked(unit, coefficients, table);
  }
  __m256i t[8];
  DequantizeSmall(coefficients, table, t);
  if (!ProductsWithinLimit(t)) return TransformChecked(unit, coefficients, table);
  return TransformRows(t, unit, [](const __m256i(&)[8]) { return true; });
}

}  // namespace Lumarc::inverse_dct_detail

#endif  // LUMARC_X86_SIMD
