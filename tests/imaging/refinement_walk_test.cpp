#include "lumarc/refinement_walk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace Lumarc {
namespace {

// Correction bits from a fixed random sequence, counted as they are taken.
struct Bits {
  explicit Bits(std::uint32_t seed) : random(seed) {}
  int operator()() {
    ++taken;
    return static_cast<int>(random() & 1);
  }
  std::mt19937 random;
  std::uint32_t taken = 0;
};

// A block with a few values in random places, among them the extremes a point transform of 15
// can turn to zero.
CoefficientBlock RandomBlock(std::mt19937& random) {
  CoefficientBlock block{};
  const std::uint32_t density = random() % 64;
  for (auto& c : block) {
    if (random() % 64 >= density) continue;
    const int kind = static_cast<int>(random() % 8);
    c = kind == 0   ? std::int16_t{-32768}
        : kind == 1 ? std::int16_t{32767}
                    : static_cast<std::int16_t>(random() % 64 - 32);
  }
  return block;
}

// The masked walk finds non-zero coefficients from a mask made once per block; the coefficient
// walk tests each. Step after step through the same block and bits, they must leave the same
// coefficients, return the same positions and take the same number of bits.
TEST(RefinementWalk, TheMaskedWalkStepsAsTheCoefficientWalkDoes) {
  std::mt19937 random(5);
  for (int round = 0; round < 20000; ++round) {
    CoefficientBlock reference_block = RandomBlock(random);
    CoefficientBlock masked_block = reference_block;
    CoefficientWalk reference(reference_block);
    MaskedWalk masked(masked_block);
    const std::uint32_t seed = random();
    Bits reference_bits(seed);
    Bits masked_bits(seed);
    const std::uint32_t al = round % 3 == 0 ? 15 : random() % 14;
    const std::int32_t p = std::int32_t{1} << al;
    const std::uint32_t last = 1 + random() % 63;
    for (std::uint32_t k = 1 + random() % last; k <= last;) {
      const std::uint32_t step = random() % 4;
      std::uint32_t reference_k = 0;
      std::uint32_t masked_k = 0;
      if (step == 0) {
        reference.RefineBand(k, last, p, reference_bits);
        masked.RefineBand(k, last, p, masked_bits);
        reference_k = masked_k = last + 1;
      } else if (step == 1) {
        reference_k = reference.PassSixteenZeros(k, last, p, reference_bits);
        masked_k = masked.PassSixteenZeros(k, last, p, masked_bits);
      } else {
        const std::uint32_t run = random() % 16;
        const bool positive = random() % 2 == 0;
        reference_k = reference.PlaceNewCoefficient(k, last, run, positive, p, reference_bits);
        masked_k = masked.PlaceNewCoefficient(k, last, run, positive, p, masked_bits);
      }
      ASSERT_EQ(masked_k, reference_k) << "round " << round;
      ASSERT_EQ(masked_bits.taken, reference_bits.taken) << "round " << round;
      ASSERT_EQ(masked_block, reference_block) << "round " << round;
      if (reference_k == kOutsideBand) break;
      k = reference_k;
    }
  }
}

}  // namespace
}  // namespace Lumarc
