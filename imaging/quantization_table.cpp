#include "lumarc/quantization_table.h"

#include <cmath>
#include <ostream>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"
#include "lumarc/zigzag.h"

namespace Lumarc {
namespace {

// F(v, u) = 1 / (16 c(v) c(u)) for natural position 8v + u, with c(0) = cos(pi/4) and
// c(k) = cos(k pi/16): the factor that makes each integer butterfly pass an exact scaled 8-point
// inverse DCT. F(0, 1) = 0.0901199777508685, F(7, 7) = 1.6421338980680107.
std::array<double, 64> ComputeScaleFactors() {
  const double pi = std::acos(-1.0);
  std::array<double, 8> c{};
  c[0] = std::cos(pi / 4);
  for (int k = 1; k < 8; ++k) c[k] = std::cos(k * pi / 16);
  std::array<double, 64> factors{};
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) factors[8 * v + u] = 1.0 / (16.0 * c[v] * c[u]);
  }
  // Exactly 1/8 where u and v are each 0 or 4; the double formula gives 0.12499999999999997,
  // which would truncate 512 x value to one less.
  for (int i : {0, 4, 32, 36}) factors[i] = 0.125;
  return factors;
}

const std::array<double, 64>& ScaleFactors() {
  static const std::array<double, 64> factors = ComputeScaleFactors();
  return factors;
}

}  // namespace

void QuantizationTable::ReadTable(InputByteStream& stream, std::uint32_t precision) {
  if (precision == 1) throw JpegDecoder::JpegBadStream(message::kQuantizationTable16Bit);
  if (precision != 0) throw JpegDecoder::JpegBadStream(message::kInvalidQuantizationPrecision);
  for (auto& value : values) {
    value = stream.ReadByte();
    if (value == 0) throw JpegDecoder::JpegBadStream(message::kZeroQuantizationValue);
  }
  BuildScaledTable();
  defined = true;
}

void QuantizationTable::BuildScaledTable() {
  const std::array<double, 64>& factors = ScaleFactors();
  for (int i = 0; i < 64; ++i) {
    // The 4096 carries 12 fraction bits through both passes of the transform.
    const double multiplier = values[kNaturalToZigzag[i]] * factors[i] * 4096;
    scaled_table[i] = static_cast<std::int32_t>(multiplier);  // truncates toward zero
  }
}

void QuantizationTable::Dump(std::ostream& out) const {
  const std::ios_base::fmtflags saved_flags = out.flags();
  out << std::dec;
  for (int row = 0; row < 8; ++row) {
    out << std::endl << "        ";
    for (int k = 0; k < 8; ++k) out << values[8 * row + k] << " ";
  }
  out.flags(saved_flags);
}

}  // namespace Lumarc
