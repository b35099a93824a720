#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>

namespace Lumarc {

class InputByteStream;

// One quantization table of a DQT segment, kept both as read and as the multipliers of the
// integer inverse DCT, which fold dequantization and the transform's scaling together.
//
// Errors (JpegDecoder::JpegBadStream), all leaving scaled_table and defined as they were:
//  - precision 1: "Only 8-bit Data is Supported"; any other non-zero precision:
//    "Invalid Quantization Table Precision". No byte is read.
//  - a value of 0: "Zero value in quantization table", at once; the values read before it
//    have replaced the old ones.
class QuantizationTable {
 public:
  // Reads the 64 values that follow a DQT precision/index byte; precision is that byte's
  // high nibble.
  void ReadTable(InputByteStream& stream, std::uint32_t precision);
  bool IsDefined() const { return defined; }
  // The 64 values in stored (zigzag) order, 8 per line, each line opened by an end of line
  // and 8 blanks; no end of line after the last (verbose DQT trace).
  void Dump(std::ostream& out) const;

  // As read: zigzag order, 1 to 255.
  const std::array<std::uint16_t, 64>& Values() const { return values; }
  // The inverse-DCT multipliers in natural order: value x F(v, u) x 4096, truncated, where
  // F(v, u) = 1 / (16 c(v) c(u)), c(0) = cos(pi/4), c(k) = cos(k pi/16).
  const std::array<std::int32_t, 64>& ScaledTable() const { return scaled_table; }

 private:
  void BuildScaledTable();

  std::array<std::uint16_t, 64> values{};
  std::array<std::int32_t, 64> scaled_table{};
  bool defined = false;
};

}  // namespace Lumarc
