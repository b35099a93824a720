#pragma once

#include <array>
#include <cstdint>

#include "lumarc/quantization_table.h"

// The vector code is written with GCC/Clang target attributes for x86 and chosen at run time;
// elsewhere only the scalar code exists. Not on 64-bit Windows: GCC cannot keep 32-byte AVX
// values aligned on its stacks there (GCC bug 54412). 32-bit code realigns its frame wherever
// it needs more than the stack guarantees.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__)) && \
    !(defined(_WIN32) && defined(__x86_64__))
#define LUMARC_X86_SIMD 1
#else
#define LUMARC_X86_SIMD 0
#endif

// Marks each function through which scalar code enters vector code. The 32-bit Windows ABI
// promises only 4-byte stack alignment (a thread's start routine, a window procedure) while GCC
// assumes 16 for its 16-byte spills, so such a function aligns the stack itself on entry.
#if LUMARC_X86_SIMD && defined(_WIN32) && defined(__i386__)
#define LUMARC_VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define LUMARC_VECTOR_ENTRY
#endif

namespace Lumarc {

// 64 quantized coefficients in natural (row-major) order: index 8v + u.
using CoefficientBlock = std::array<std::int16_t, 64>;

// One decoded 8 x 8 block of samples, row-major: sample (y, x) at index 8y + x.
struct DataUnit {
  std::array<std::uint8_t, 64> samples{};
};

// The rotation constants of the butterflies, with 6 fraction bits, truncated toward zero:
// 32 / cos(pi/8), 32 / cos(3pi/8) and 64 cos(pi/4).
inline constexpr std::int32_t kIdctK1 = 34;
inline constexpr std::int32_t kIdctK3 = 83;
inline constexpr std::int32_t kIdctK4 = 45;

// Dequantizes and transforms one block into samples clamped to 0..255. Cannot fail, and has no
// overflow for any coefficients and any table: blocks too large for 32-bit arithmetic are
// computed in 64 bits with the same roundings. On a processor that has AVX2, the 32-bit blocks are
// transformed eight lanes at a time, to the same samples. DC-only blocks are filled with their
// one sample on either processor.
void InverseDct(DataUnit& unit, const CoefficientBlock& coefficients,
                const QuantizationTable& table);
// The scalar transform alone: the reference.
void InverseDctScalar(DataUnit& unit, const CoefficientBlock& coefficients,
                      const QuantizationTable& table);

using InverseDctRoutine = void (*)(DataUnit&, const CoefficientBlock&, const QuantizationTable&);
// The routine the decoder reaches every block through. It holds InverseDct and nothing
// changes it.
extern const InverseDctRoutine inverse_dct_routine;

namespace inverse_dct_detail {
// 128.5 x 4096: the level shift of 128 and the rounding half of the final shift by 12.
inline constexpr std::int32_t kLevelShiftAndRounding = 0x80800;

// Whether all 63 AC coefficients are zero: the most common block of smooth areas.
bool IsDcOnly(const CoefficientBlock& coefficients);
// The one sample the full transform gives every position of a DC-only block. Every butterfly
// input but t0 = DC x multiplier is then 0 and every butterfly output is t0, so the sample is
// (t0 + kLevelShiftAndRounding) >> 12, clamped; in 64 bits, as the wide path computes a t0
// beyond 32 bits.
inline std::uint8_t DcOnlySample(std::int16_t dc, std::int32_t multiplier) {
  const std::int64_t sample = (std::int64_t{dc} * multiplier + kLevelShiftAndRounding) >> 12;
  return static_cast<std::uint8_t>(sample < 0 ? 0 : (sample > 255 ? 255 : sample));
}

// The two arithmetic paths InverseDct chooses between, exposed so they can be compared.
bool FitsNarrowArithmetic(const CoefficientBlock& coefficients, const QuantizationTable& table);
void InverseDctNarrow(DataUnit& unit, const CoefficientBlock& coefficients,
                      const QuantizationTable& table);
void InverseDctWide(DataUnit& unit, const CoefficientBlock& coefficients,
                    const QuantizationTable& table);

// The processor can run InverseDctAvx2 (always false without LUMARC_X86_SIMD).
bool Avx2Available();
#if LUMARC_X86_SIMD
// With every coefficient below 2^10 in magnitude and every product with its multiplier at most
// this, neither pass can overflow 32 bits, and the vector transform skips its per-pass checks.
// Interval arithmetic through both passes' butterflies (pass 2 taking pass 1's widest outputs in
// all eight inputs, the level shift included) puts the largest intermediate of inputs bounded by
// B at most 2814 B; this is the largest B that keeps it below 2^31, rounded down.
inline constexpr std::int32_t kAvx2ProductLimit = 763'000;
// The narrow transform in AVX2; false, with the unit untouched, for a block that needs the wide
// one. Only where Avx2Available.
bool InverseDctAvx2(DataUnit& unit, const CoefficientBlock& coefficients,
                    const QuantizationTable& table);
#endif
}  // namespace inverse_dct_detail

}  // namespace Lumarc
