#pragma once

#include <array>
#include <cstdint>

namespace Lumarc::color_tables {

using ColorTable = std::array<std::int32_t, 256>;

// Rounds to the nearest integer, halves away from zero.
constexpr std::int32_t RoundAway(double value) {
  return value >= 0 ? static_cast<std::int32_t>(value + 0.5)
                    : -static_cast<std::int32_t>(-value + 0.5);
}

constexpr ColorTable MakeTable(double scale) {
  ColorTable table{};
  for (int i = 0; i < 256; ++i) table[i] = RoundAway(scale * (i - 128));
  return table;
}

// The JFIF YCbCr to RGB terms, indexed by a chrominance sample. Red and blue in whole levels;
// the two green terms in 16.16 fixed point, summed before the one rounding shift.
inline constexpr ColorTable kRedFromCr = MakeTable(1.402);
inline constexpr ColorTable kBlueFromCb = MakeTable(1.772);
inline constexpr ColorTable kGreenFromCb = MakeTable(0.34414 * 65536);
inline constexpr ColorTable kGreenFromCr = MakeTable(0.71414 * 65536);

// What green subtracts from luminance for one chrominance pair: -136 to 135.
constexpr std::int32_t GreenTerm(std::uint8_t cb, std::uint8_t cr) {
  return (kGreenFromCb[cb] + kGreenFromCr[cr] + 32768) >> 16;
}

constexpr std::uint8_t Clamp(std::int32_t value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace Lumarc::color_tables
