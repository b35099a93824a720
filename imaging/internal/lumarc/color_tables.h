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
// d = i - 128, entry i = whole x d + sign(d) x ((|d| x fraction + 2^(shift - 1)) >> shift).
// The static_asserts below hold each formula to its table at all 256 entries.
struct TableFormula {
  std::int32_t whole;
  std::int32_t fraction;
  std::int32_t shift;
};
inline constexpr TableFormula kRedFormula{0, 5743, 12};    // 1.402 ~ 5743 / 4096
inline constexpr TableFormula kBlueFormula{0, 29033, 14};  // 1.772 ~ 29033 / 16384
inline constexpr TableFormula kGreenCbFormula{22553, 1145,
                                              11};  // 22553.55904 ~ 22553 + 1145 / 2048
inline constexpr TableFormula kGreenCrFormula{46801, 3601,
                                              12};  // 46801.87904 ~ 46801 + 3601 / 4096

constexpr std::int32_t Evaluate(const TableFormula& formula, int i) {
  const std::int32_t d = i - 128;
  const std::int32_t n = d < 0 ? -d : d;
  const std::int32_t rounded = (n * formula.fraction + (1 << (formula.shift - 1))) >> formula.shift;
  return formula.whole * d + (d < 0 ? -rounded : rounded);
}

constexpr bool Matches(const ColorTable& table, const TableFormula& formula) {
  for (int i = 0; i < 256; ++i) {
    if (Evaluate(formula, i) != table[static_cast<std::size_t>(i)]) return false;
  }
  return true;
}

static_assert(Matches(kRedFromCr, kRedFormula));
static_assert(Matches(kBlueFromCb, kBlueFormula));
static_assert(Matches(kGreenFromCb, kGreenCbFormula));
static_assert(Matches(kGreenFromCr, kGreenCrFormula));

// The same terms in 16-bit lanes, as vector code computes them: a rounding high multiply,
// (a x m + 2^14) >> 15, of |d| by a 15-bit multiplier gives the rounded fraction, and the sign
// of d is put back afterwards. Red and blue add |d| for their whole part; the green terms keep
// their whole part, which needs 32 bits, apart.
constexpr std::int32_t RoundedHighProduct(std::int32_t a, std::int32_t multiplier) {
  return (a * multiplier + (1 << 14)) >> 15;
}
inline constexpr std::int32_t kBlueFraction16 = 25298;     // 0.772 x 2^15, |blue| = |d| + this
inline constexpr std::int32_t kRedFraction16 = 13176;      // 0.402 x 2^15, |red| = |d| + this
inline constexpr std::int32_t kGreenCbFraction16 = 18320;  // 0.55904 x 2^15
inline constexpr std::int32_t kGreenCrFraction16 = 28808;  // 0.87904 x 2^15

constexpr std::int32_t Evaluate16(std::int32_t whole, std::int32_t whole_of_abs,
                                  std::int32_t multiplier, int i) {
  const std::int32_t d = i - 128;
  const std::int32_t n = d < 0 ? -d : d;
  const std::int32_t rounded = whole_of_abs * n + RoundedHighProduct(n, multiplier);
  return whole * d + (d < 0 ? -rounded : rounded);
}

constexpr bool Matches16(const ColorTable& table, std::int32_t whole, std::int32_t whole_of_abs,
                         std::int32_t multiplier) {
  for (int i = 0; i < 256; ++i) {
    if (Evaluate16(whole, whole_of_abs, multiplier, i) != table[static_cast<std::size_t>(i)]) {
      return false;
    }
  }
  return true;
}

static_assert(Matches16(kBlueFromCb, 0, 1, kBlueFraction16));
static_assert(Matches16(kRedFromCr, 0, 1, kRedFraction16));
static_assert(Matches16(kGreenFromCb, kGreenCbFormula.whole, 0, kGreenCbFraction16));
static_assert(Matches16(kGreenFromCr, kGreenCrFormula.whole, 0, kGreenCrFraction16));

// What green subtracts from luminance for one chrominance pair: -136 to 135.
constexpr std::int32_t GreenTerm(std::uint8_t cb, std::uint8_t cr) {
  return (kGreenFromCb[cb] + kGreenFromCr[cr] + 32768) >> 16;
}

constexpr std::uint8_t Clamp(std::int32_t value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace Lumarc::color_tables
