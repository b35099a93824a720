#pragma once

#include <array>
#include <cstddef>
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

// The same tables as integer arithmetic, for vector code without table lookups: with
// d = i - 128, entry i = whole x d + ((d x m + 2^14) >> 15), a rounding high multiply of d by a
// 15-bit multiplier m. That rounds halves up where the tables round them away from zero, but no
// d x m of these multipliers lies on a half. The static_asserts below hold each formula to its
// table at all 256 entries. The green terms' whole parts need 32 bits.
inline constexpr std::int32_t kGreenCbWhole = 22553;       // of 22553.55904
inline constexpr std::int32_t kGreenCrWhole = 46801;       // of 46801.87904
inline constexpr std::int32_t kBlueFraction16 = 25298;     // 0.772 x 2^15
inline constexpr std::int32_t kRedFraction16 = 13176;      // 0.402 x 2^15
inline constexpr std::int32_t kGreenCbFraction16 = 18320;  // 0.55904 x 2^15
inline constexpr std::int32_t kGreenCrFraction16 = 28808;  // 0.87904 x 2^15

constexpr std::int32_t Evaluate(std::int32_t whole, std::int32_t multiplier, int i) {
  const std::int32_t d = i - 128;
  return whole * d + ((d * multiplier + (1 << 14)) >> 15);
}

constexpr bool Matches(const ColorTable& table, std::int32_t whole, std::int32_t multiplier) {
  for (int i = 0; i < 256; ++i) {
    if (Evaluate(whole, multiplier, i) != table[static_cast<std::size_t>(i)]) return false;
  }
  return true;
}

static_assert(Matches(kBlueFromCb, 1, kBlueFraction16));
static_assert(Matches(kRedFromCr, 1, kRedFraction16));
static_assert(Matches(kGreenFromCb, kGreenCbWhole, kGreenCbFraction16));
static_assert(Matches(kGreenFromCr, kGreenCrWhole, kGreenCrFraction16));

// What green subtracts from luminance for one chrominance pair: -136 to 135.
constexpr std::int32_t GreenTerm(std::uint8_t cb, std::uint8_t cr) {
  return (kGreenFromCb[cb] + kGreenFromCr[cr] + 32768) >> 16;
}

constexpr std::uint8_t Clamp(std::int32_t value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace Lumarc::color_tables
