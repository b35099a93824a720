// The AVX2 inverse DCT against the scalar one on random blocks, extreme coefficients and
// quantization values included: every block it accepts gives the scalar samples, and every
// block it refuses is one the scalar transform computes in 64 bits.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "lumarc/inverse_dct.h"
#include "lumarc/memory_input_byte_stream.h"

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

// One coefficient at each position, at each extreme, under the finest and coarsest tables.
TEST_F(InverseDctSimdTest, SingleExtremeCoefficients) {
  std::mt19937 random(7);
  const std::vector<QuantizationTable> tables = Tables(random);
  for (const QuantizationTable* table : {&tables[0], &tables[1]}) {
    for (int at = 0; at < 64; ++at) {
      for (const std::int16_t value : {32767, -32768, 255, -256, 1, -1}) {
        SCOPED_TRACE("position " + std::to_string(at) + ", value " + std::to_string(value));
        CoefficientBlock block{};
        block[static_cast<std::size_t>(at)] = value;
        ExpectSameSamples(block, *table);
      }
    }
  }
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
