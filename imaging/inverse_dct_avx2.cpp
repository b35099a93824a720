// The integer inverse DCT eight lanes at a time. Every lane runs the scalar butterflies' exact
// 32-bit operations (the same products, shifts and sums), so for every block it accepts, one
// whose 32-bit arithmetic cannot overflow, the samples are bit for bit those of the scalar
// transform, which would compute them in 32 or 64 bits alike. The rest are left to the scalar
// transform.
#include "lumarc/inverse_dct.h"

#if LUMARC_X86_SIMD
#include <immintrin.h>

namespace Lumarc::inverse_dct_detail {
namespace {

#define LUMARC_AVX2 __attribute__((target("avx2")))

// 128.5 x 4096: the level shift of 128 and the rounding half of the final shift by 12.
constexpr int kLevelShiftAndRounding = 0x80800;
// A block computes in 32 bits without overflow when every product of coefficient and
// multiplier is at most 2^19 (the scalar transform's own test), or when their magnitudes sum
// to at most 2^22: a butterfly's largest intermediate, (t5 - t3) x 83 or (o1 + o3) x 45, is
// below 83 times the sum of its inputs' magnitudes and its outputs below 3.21 times it, so
// pass 2 stays below 83 x 3.21 x 2^22 + 2656, about 1.12e9 < 2^31. The second test keeps
// ordinary blocks narrow whose one coefficient at a coarse, high-frequency position (a
// multiplier near 2^20) fails the first.
constexpr float kNarrowProductLimit = 524288.0f;  // 2^19
constexpr float kNarrowSumLimit = 4194304.0f;     // 2^22

// A product with a rotation constant, back to the butterfly's scale (6 fraction bits).
LUMARC_AVX2 inline __m256i Rotate(__m256i a, std::int32_t constant) {
  return _mm256_srai_epi32(_mm256_mullo_epi32(a, _mm256_set1_epi32(constant)), 6);
}

// The scalar butterfly, one transform per lane.
LUMARC_AVX2 inline void Butterfly(__m256i (&t)[8], __m256i bias) {
  constexpr std::int32_t k1 = kIdctK1;
  constexpr std::int32_t k3 = kIdctK3;
  constexpr std::int32_t k4 = kIdctK4;
  const __m256i o1 = Rotate(_mm256_sub_epi32(t[1], t[7]), k1);
  const __m256i o3 = Rotate(_mm256_sub_epi32(t[5], t[3]), k3);
  const __m256i o4 = Rotate(_mm256_add_epi32(o1, o3), k4);
  const __m256i o5 = _mm256_add_epi32(_mm256_sub_epi32(o4, o3), o1);
  const __m256i s17 = _mm256_add_epi32(t[1], t[7]);
  const __m256i s35 = _mm256_add_epi32(t[3], t[5]);
  const __m256i o6 = Rotate(_mm256_sub_epi32(s17, s35), k4);
  const __m256i f = Rotate(_mm256_sub_epi32(t[2], t[6]), k4);
  const __m256i g = _mm256_add_epi32(_mm256_add_epi32(t[2], t[6]), f);
  const __m256i e0 = _mm256_add_epi32(_mm256_add_epi32(t[0], t[4]), bias);
  const __m256i e1 = _mm256_add_epi32(_mm256_sub_epi32(t[0], t[4]), bias);
  const __m256i e0g = _mm256_add_epi32(e0, g);
  const __m256i e0_g = _mm256_sub_epi32(e0, g);
  const __m256i e1f = _mm256_add_epi32(e1, f);
  const __m256i e1_f = _mm256_sub_epi32(e1, f);
  const __m256i odd0 = _mm256_add_epi32(_mm256_add_epi32(s17, s35), o5);
  const __m256i odd1 = _mm256_add_epi32(o6, o5);
  const __m256i odd2 = _mm256_add_epi32(o6, o4);
  t[0] = _mm256_add_epi32(e0g, odd0);
  t[1] = _mm256_add_epi32(e1f, odd1);
  t[2] = _mm256_add_epi32(e1_f, odd2);
  t[3] = _mm256_add_epi32(e0_g, o4);
  t[4] = _mm256_sub_epi32(e0_g, o4);
  t[5] = _mm256_sub_epi32(e1_f, odd2);
  t[6] = _mm256_sub_epi32(e1f, odd1);
  t[7] = _mm256_sub_epi32(e0g, odd0);
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

LUMARC_AVX2 inline float HorizontalSum(__m256 v) {
  const __m128 quad = _mm_add_ps(_mm256_castps256_ps128(v), _mm256_extractf128_ps(v, 1));
  const __m128 pair = _mm_add_ps(quad, _mm_movehl_ps(quad, quad));
  return _mm_cvtss_f32(_mm_add_ss(pair, _mm_shuffle_ps(pair, pair, 1)));
}

// Dequantizes one block into t (row r in register r); false if it needs 64-bit arithmetic.
// Single precision decides that exactly: both factors are exact in it, products and partial
// sums up to 2^24 are exact integers, and rounding never carries a larger value below 2^24.
LUMARC_AVX2 inline bool Dequantize(const CoefficientBlock& coefficients,
                                   const QuantizationTable& table, __m256i (&t)[8]) {
  const std::int32_t* multipliers = table.ScaledTable().data();
  const __m256 magnitude_mask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
  __m256 largest = _mm256_setzero_ps();
  __m256 sum = _mm256_setzero_ps();
  for (int r = 0; r < 8; ++r) {
    const __m256i c = _mm256_cvtepi16_epi32(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients.data() + 8 * r)));
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(multipliers + 8 * r));
    const __m256 magnitude =
        _mm256_and_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(c), _mm256_cvtepi32_ps(m)), magnitude_mask);
    largest = _mm256_max_ps(largest, magnitude);
    sum = _mm256_add_ps(sum, magnitude);
    t[r] = _mm256_mullo_epi32(c, m);
  }
  const __m256 over = _mm256_cmp_ps(largest, _mm256_set1_ps(kNarrowProductLimit), _CMP_GT_OQ);
  return _mm256_testz_ps(over, over) != 0 || HorizontalSum(sum) <= kNarrowSumLimit;
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

}  // namespace

// Pass 1 transforms the coefficient rows, eight rows at once once they are columns; pass 2 the
// workspace columns, eight at once once the rows are lanes again. The scalar transform's
// shortcut for rows without AC values is left out: the butterfly gives those rows the same
// outputs (every output equals t0).
LUMARC_AVX2 bool InverseDctAvx2(DataUnit& unit, const CoefficientBlock& coefficients,
                                const QuantizationTable& table) {
  __m256i t[8];
  if (!Dequantize(coefficients, table, t)) return false;
  Transpose(t);
  Butterfly(t, _mm256_setzero_si256());
  Transpose(t);
  Butterfly(t, _mm256_set1_epi32(kLevelShiftAndRounding));
  StoreSamples(t, unit);
  return true;
}

}  // namespace Lumarc::inverse_dct_detail

#endif  // LUMARC_X86_SIMD
