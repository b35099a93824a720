#include "lumarc/inverse_dct.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Lumarc {
namespace {

using inverse_dct_detail::kLevelShiftAndRounding;

// One scaled 8-point inverse DCT over inputs already multiplied by their scale factors.
// `bias` is added to both even sums. Shifts right are arithmetic (round toward minus infinity).
// Int is int32_t for ordinary blocks and int64_t for blocks that could overflow 32 bits.
template <typename Int>
void Butterfly(const Int (&t)[8], Int bias, Int (&out)[8]) {
  const Int o1 = ((t[1] - t[7]) * kIdctK1) >> 6;
  const Int o3 = ((t[5] - t[3]) * kIdctK3) >> 6;
  const Int o4 = ((o1 + o3) * kIdctK4) >> 6;
  const Int o5 = o4 - o3 + o1;
  const Int s17 = t[1] + t[7];
  const Int s35 = t[3] + t[5];
  const Int o6 = ((s17 - s35) * kIdctK4) >> 6;

  const Int f = ((t[2] - t[6]) * kIdctK4) >> 6;
  const Int g = t[2] + t[6] + f;
  const Int e0 = t[0] + t[4] + bias;
  const Int e1 = t[0] - t[4] + bias;

  out[0] = (e0 + g) + (s17 + s35 + o5);
  out[1] = (e1 + f) + (o6 + o5);
  out[2] = (e1 - f) + (o6 + o4);
  out[3] = (e0 - g) + o4;
  out[4] = (e0 - g) - o4;
  out[5] = (e1 - f) - (o6 + o4);
  out[6] = (e1 + f) - (o6 + o5);
  out[7] = (e0 + g) - (s17 + s35 + o5);
}

// Pass 1 over coefficient rows into the workspace, pass 2 over workspace columns into samples.
template <typename Int>
void TransformBlock(DataUnit& unit, const CoefficientBlock& coefficients,
                    const QuantizationTable& table) {
  const std::array<std::int32_t, 64>& multipliers = table.ScaledTable();
  Int workspace[64];
  for (int r = 0; r < 8; ++r) {
    const int row = 8 * r;
    Int t[8];
    for (int k = 0; k < 8; ++k) t[k] = Int{coefficients[row + k]} * multipliers[row + k];
    const bool dc_only = std::all_of(t + 1, t + 8, [](Int value) { return value == 0; });
    Int out[8];
    if (dc_only) {
      std::fill(out, out + 8, t[0]);
    } else {
      Butterfly<Int>(t, 0, out);
    }
    std::copy(out, out + 8, workspace + row);
  }
  for (int x = 0; x < 8; ++x) {
    Int w[8];
    for (int k = 0; k < 8; ++k) w[k] = workspace[8 * k + x];
    Int out[8];
    Butterfly<Int>(w, kLevelShiftAndRounding, out);
    for (int y = 0; y < 8; ++y) {
      unit.samples[8 * y + x] = static_cast<std::uint8_t>(std::clamp<Int>(out[y] >> 12, 0, 255));
    }
  }
}

}  // namespace

namespace inverse_dct_detail {

// If every product of coefficient and multiplier is at most B in magnitude, a butterfly over
// inputs bounded by B has intermediates below 180 B (the largest: (s17 - s35) x 45) and outputs
// below 15.7 B + 6, so pass 2 stays below 180 x (15.7 B + 6) + 526336. With B = 2^19 that is
// under 1.49e9 < 2^31. Ordinary blocks of an 8-bit encoder stay within it; the rest take the
// 64-bit path, which for them cannot come near 2^63 (B < 2^36).
bool FitsNarrowArithmetic(const CoefficientBlock& coefficients, const QuantizationTable& table) {
  constexpr std::int64_t kNarrowProductLimit = std::int64_t{1} << 19;
  const std::array<std::int32_t, 64>& multipliers = table.ScaledTable();
  for (int i = 0; i < 64; ++i) {
    const std::int64_t product = std::int64_t{coefficients[i]} * multipliers[i];
    if (std::llabs(product) > kNarrowProductLimit) return false;
  }
  return true;
}

void InverseDctNarrow(DataUnit& unit, const CoefficientBlock& coefficients,
                      const QuantizationTable& table) {
  TransformBlock<std::int32_t>(unit, coefficients, table);
}

void InverseDctWide(DataUnit& unit, const CoefficientBlock& coefficients,
                    const QuantizationTable& table) {
  TransformBlock<std::int64_t>(unit, coefficients, table);
}

bool IsDcOnly(const CoefficientBlock& coefficients) {
  // Eight bytes at a time: AC 1 to 3 alone, then the other fifteen words whole.
  const std::int16_t* values = coefficients.data();
  std::uint64_t ac = 0;
  std::memcpy(&ac, values + 1, 3 * sizeof(std::int16_t));
  for (int i = 4; i < 64; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, values + i, sizeof word);
    ac |= word;
  }
  return ac == 0;
}

bool Avx2Available() {
#if LUMARC_X86_SIMD
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
#else
  return false;
#endif
}

}  // namespace inverse_dct_detail

void InverseDct(DataUnit& unit, const CoefficientBlock& coefficients,
                const QuantizationTable& table) {
#if LUMARC_X86_SIMD
  if (inverse_dct_detail::Avx2Available() &&
      inverse_dct_detail::InverseDctAvx2(unit, coefficients, table)) {
    return;
  }
#endif
  if (inverse_dct_detail::IsDcOnly(coefficients)) {
    unit.samples.fill(inverse_dct_detail::DcOnlySample(coefficients[0], table.ScaledTable()[0]));
    return;
  }
  InverseDctScalar(unit, coefficients, table);
}

void InverseDctScalar(DataUnit& unit, const CoefficientBlock& coefficients,
                      const QuantizationTable& table) {
  if (inverse_dct_detail::FitsNarrowArithmetic(coefficients, table)) {
    inverse_dct_detail::InverseDctNarrow(unit, coefficients, table);
  } else {
    inverse_dct_detail::InverseDctWide(unit, coefficients, table);
  }
}

const InverseDctRoutine inverse_dct_routine = &InverseDct;

}  // namespace Lumarc
