#pragma once

#include <array>
#include <cstdint>

#include "lumarc/quantization_table.h"

namespace Lumarc {

// 64 quantized coefficients in natural (row-major) order: index 8v + u.
using CoefficientBlock = std::array<std::int16_t, 64>;

// One decoded 8 x 8 block of samples, row-major: sample (y, x) at index 8y + x.
class DataUnit {
 public:
  virtual ~DataUnit();

  std::array<std::uint8_t, 64> samples{};
};

// The rotation constants of the butterflies, with 6 fraction bits, truncated toward zero:
// 32 / cos(pi/8), 32 / cos(3pi/8) and 64 cos(pi/4).
inline constexpr std::int32_t kIdctK1 = 34;
inline constexpr std::int32_t kIdctK3 = 83;
inline constexpr std::int32_t kIdctK4 = 45;

// Dequantizes and transforms one block into samples clamped to 0..255. Cannot fail, and has no
// overflow for any coefficients and any table: blocks too large for 32-bit arithmetic are
// computed in 64 bits with the same roundings.
void InverseDct(DataUnit& unit, const CoefficientBlock& coefficients,
                const QuantizationTable& table);

using InverseDctRoutine = void (*)(DataUnit&, const CoefficientBlock&, const QuantizationTable&);
// The routine the decoder reaches every block through. It holds InverseDct and nothing
// changes it.
extern const InverseDctRoutine inverse_dct_routine;

namespace inverse_dct_detail {
// The two arithmetic paths InverseDct chooses between, exposed so they can be compared.
bool FitsNarrowArithmetic(const CoefficientBlock& coefficients, const QuantizationTable& table);
void InverseDctNarrow(DataUnit& unit, const CoefficientBlock& coefficients,
                      const QuantizationTable& table);
void InverseDctWide(DataUnit& unit, const CoefficientBlock& coefficients,
                    const QuantizationTable& table);
}  // namespace inverse_dct_detail

}  // namespace Lumarc
