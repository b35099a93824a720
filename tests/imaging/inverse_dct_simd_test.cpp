// The AVX2 inverse DCT against the scalar one on random blocks, extreme coefficients and
// quantization values included: every block it accepts gives the scalar samples, and every
// block it refuses is one the scalar transform computes in 64 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "lumarc/inverse_dct.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/zigzag.h"

// Only where the vector transform is built (see LUMARC_X86_SIMD).
#if LUMARC_X86_SIMD
namespace {

using Lumarc::CoefficientBlock;
using Lumarc::DataUnit;
using Lumarc::QuantizationTable;
namespace detail = Lumarc::inverse_dct_detail;

QuantizationTable TableOf(const std::array<std::uint8_t, 64>& values) {
  Lumarc::MemoryInputByteStream stream(values);
  QuantizationTable table;
  table.ReadTable(stream, 0);
  return table;
}

std::vector<QuantizationTable> Tables(std::mt19937& random) {
  std::array<std::uint8_t, 64> ones{};
  ones.fill(1);
  std::array<std::uint8_t, 64> coarsest{};
  coarsest.fill(255);
  std::array<std::uint8_t, 64> mixed{};
  for (auto& value : mixed) value = static_cast<std::uint8_t>(1 + random() % 255);
  return {TableOf(ones), TableOf(coarsest), TableOf(mixed)};
}

// Sparse blocks of ordinary values, dense blocks, and blocks holding the int16 extremes.
CoefficientBlock RandomBlock(std::mt19937& random, int kind) {
  CoefficientBlock block{};
  const std::int16_t extremes[] = {32767, -32768, -32767, 1, -1};
  const int count = kind == 1 ? 64 : 1 + static_cast<int>(random() % 6);
  for (int i = 0; i < count; ++i) {
    const std::size_t at = kind == 1 ? static_cast<std::size_t>(i) : random() % 64;
    if (kind == 2) {
      block[at] = extremes[random() % 5];
    } else {
      block[at] = static_cast<std::int16_t>(static_cast<int>(random() % 2048) - 1024);
    }
  }
  return block;
}

class InverseDctSimdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!detail::Avx2Available()) GTEST_SKIP() << "this processor has no AVX2";
  }

  // Scalar and vector samples of one block; counts the blocks the vector transform took.
  void ExpectSameSamples(const CoefficientBlock& block, const QuantizationTable& table) {
    DataUnit scalar;
    detail::FitsNarrowArithmetic(block, table) ? detail::InverseDctNarrow(scalar, block, table)
                                               : detail::InverseDctWide(scalar, block, table);
    DataUnit vector;
    vector.samples.fill(7);
    if (detail::InverseDctAvx2(vector, block, table)) {
      ++accepted;
      EXPECT_EQ(vector.samples, scalar.samples);
    } else {
      ++refused;
      EXPECT_TRUE(std::all_of(vector.samples.begin(), vector.samples.end(),
                              [](std::uint8_t s) { return s == 7; }));
    }
    DataUnit dispatched;
    Lumarc::InverseDct(dispatched, block, table);
    EXPECT_EQ(dispatched.samples, scalar.samples);
  }

  int accepted = 0;
  int refused = 0;
};

TEST_F(InverseDctSimdTest, RandomBlocksGiveTheScalarSamples) {
  std::mt19937 random(42);
  for (const QuantizationTable& table : Tables(random)) {
    for (int i = 0; i < 3000; ++i) {
      SCOPED_TRACE("block " + std::to_string(i));
      ExpectSameSamples(RandomBlock(random, i % 3), table);
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(accepted, 1000);  // both outcomes are exercised
  EXPECT_GT(refused, 100);
}

// One coefficient at each position, at each extreme and on each side of the small-coefficient
// bound, under the finest and coarsest tables.
TEST_F(InverseDctSimdTest, SingleExtremeCoefficients) {
  std::mt19937 random(7);
  const std::vector<QuantizationTable> tables = Tables(random);
  for (const QuantizationTable* table : {&tables[0], &tables[1]}) {
    for (int at = 0; at < 64; ++at) {
      for (const std::int16_t value : {32767, -32768, 1024, -1024, 1023, -1023, 1, -1}) {
        SCOPED_TRACE("position " + std::to_string(at) + ", value " + std::to_string(value));
        CoefficientBlock block{};
        block[static_cast<std::size_t>(at)] = value;
        ExpectSameSamples(block, *table);
      }
    }
  }
}

// Blocks of every shape the transform sorts by (DC-only, 2 x 2, 4 x 4, full, a lone coefficient),
// with magnitudes spread evenly over each power of two up to the int16 extremes, under tables from
// the finest to the coarsest: every path and every bound between them.
TEST_F(InverseDctSimdTest, BlocksOfEveryShapeAndMagnitudeGiveTheScalarSamples) {
  std::mt19937 random(1616);
  const auto magnitude = [&random] {
    const int bits = static_cast<int>(random() % 16);
    return static_cast<int>((1u << bits) + random() % (1u << bits));  // up to 65535
  };
  for (int t = 0; t < 64; ++t) {
    std::array<std::uint8_t, 64> values{};
    const int largest = (t % 4 == 0 ? 1 : t % 4 == 1 ? 16 : t % 4 == 2 ? 100 : 255);
    for (auto& value : values) value = static_cast<std::uint8_t>(1 + random() % largest);
    const QuantizationTable table = TableOf(values);
    for (int b = 0; b < 1000; ++b) {
      const int extent = b % 4 == 0 ? 1 : b % 4 == 1 ? (b % 8 == 1 ? 2 : 4) : 8;
      const int limit = 1 << (b / 4 % 16);  // some blocks of small values only
      CoefficientBlock block{};
      for (int v = 0; v < extent; ++v) {
        for (int u = 0; u < extent; ++u) {
          if (b % 4 != 3 && random() % 2 != 0) continue;
          const int value =
              std::min(magnitude() % (limit + 1), 32767 + static_cast<int>(random() % 2));
          block[8 * v + u] = static_cast<std::int16_t>(random() % 2 ? value : -value);
        }
      }
      if (b % 4 == 3) {  // keep one of them
        const std::size_t kept = random() % 64;
        const std::int16_t value = block[kept];
        block = {};
        block[kept] = value;
      }
      SCOPED_TRACE(testing::Message() << "table " << t << ", block " << b);
      ExpectSameSamples(block, table);
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(accepted, 30000);
  EXPECT_GT(refused, 500);
}

// The one bound that lets a block skip the per-pass checks, met as tightly as multipliers that
// keep coefficients below 2^10 allow (within 0.2 %), with every sign pattern that is one row
// pattern times one column pattern: these drive the largest intermediates of both passes to
// their extremes. Over the whole block and over the top-left 4 x 4 and 2 x 2.
TEST_F(InverseDctSimdTest, BlocksAtTheProductLimitStayExact) {
  std::array<std::uint8_t, 64> ones{};
  ones.fill(1);
  std::array<std::uint8_t, 64> values{};
  for (int at = 0; at < 64; ++at) {
    const int smallest_multiplier = detail::kAvx2ProductLimit / 1023 + 1;
    values[Lumarc::kNaturalToZigzag[at]] =
        static_cast<std::uint8_t>(1 + smallest_multiplier / TableOf(ones).ScaledTable()[at]);
  }
  const QuantizationTable table = TableOf(values);
  for (const int extent : {8, 4, 2}) {  // full blocks and top-left 4 x 4 and 2 x 2 ones
    for (int row_signs = 0; row_signs < 1 << extent; ++row_signs) {
      for (int column_signs = 0; column_signs < 1 << extent; ++column_signs) {
        CoefficientBlock block{};
        for (int v = 0; v < extent; ++v) {
          for (int u = 0; u < extent; ++u) {
            const int at = 8 * v + u;
            const int magnitude = detail::kAvx2ProductLimit / table.ScaledTable()[at];
            const bool negative = ((row_signs >> v) ^ (column_signs >> u)) & 1;
            block[at] = static_cast<std::int16_t>(negative ? -magnitude : magnitude);
          }
        }
        ExpectSameSamples(block, table);
        ASSERT_FALSE(HasFailure())
            << extent << " x " << extent << ", signs " << row_signs << ", " << column_signs;
      }
    }
  }
  EXPECT_EQ(refused, 0);
}

// A value of 1 at the coarsest high frequency is an ordinary block: its product (about 2^20)
// is above the scalar transform's per-product bound, yet the vector transform keeps it.
TEST_F(InverseDctSimdTest, OrdinaryCoarseBlocksStayNarrow) {
  std::array<std::uint8_t, 64> coarsest{};
  coarsest.fill(255);
  const QuantizationTable table = TableOf(coarsest);
  CoefficientBlock block{};
  block[63] = 1;
  block[0] = -3;
  EXPECT_FALSE(detail::FitsNarrowArithmetic(block, table));
  DataUnit unit;
  EXPECT_TRUE(detail::InverseDctAvx2(unit, block, table));
  block[63] = 32767;
  EXPECT_FALSE(detail::InverseDctAvx2(unit, block, table));
}

}  // namespace
#endif  // LUMARC_X86_SIMD
