#include "lumarc/inverse_dct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/zigzag.h"

namespace Lumarc {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace detail = inverse_dct_detail;

// A table read from 64 values in zigzag order.
QuantizationTable Table(const Bytes& values) {
  MemoryInputByteStream stream(values);
  QuantizationTable table;
  table.ReadTable(stream, 0);
  return table;
}

std::array<std::uint8_t, 64> Transform(const CoefficientBlock& coefficients,
                                       const QuantizationTable& table) {
  DataUnit unit;
  InverseDct(unit, coefficients, table);
  return unit.samples;
}

TEST(InverseDct, RotationConstantsAreTheTruncatedSixBitValues) {
  const double pi = std::acos(-1.0);
  EXPECT_EQ(kIdctK1, static_cast<std::int32_t>(32 / std::cos(pi / 8)));
  EXPECT_EQ(kIdctK3, static_cast<std::int32_t>(32 / std::cos(3 * pi / 8)));
  EXPECT_EQ(kIdctK4, static_cast<std::int32_t>(64 * std::cos(pi / 4)));
}

// A DC coefficient D with quantization value Q gives 64 samples of
// clamp(floor((512 Q D + 526336) / 4096)).
TEST(InverseDct, DcOnlyBlocksAreFlat) {
  struct Case {
    std::uint8_t q;
    std::int16_t d;
    std::uint8_t sample;
  };
  const Case cases[] = {
      {1, 200, 153}, {8, 25, 153},      {1, -1024, 0},    {1, 1016, 255},
      {1, 0, 128},   {1, -4, 128},      {1, -5, 127},     {2, -128, 96},
      {2, -520, 0},  {255, 32767, 255}, {255, -32768, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Q " << int{c.q} << ", D " << c.d);
    Bytes values(64, 1);
    values[0] = c.q;
    CoefficientBlock block{};
    block[0] = c.d;
    const auto samples = Transform(block, Table(values));
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [&](std::uint8_t s) {
      return s == c.sample;
    })) << int{samples[0]};
  }
}

// Any AC coefficient, whatever its bits, makes a block more than DC-only; the DC never does.
TEST(InverseDct, DcOnlyDetectionSeesEveryAcCoefficient) {
  for (const std::int16_t dc : {0, 1, -1, -32768, 32767}) {
    CoefficientBlock block{};
    block[0] = dc;
    EXPECT_TRUE(detail::IsDcOnly(block)) << dc;
    for (int at = 1; at < 64; ++at) {
      for (const std::int16_t ac : {1, -1, -32768, 256}) {
        block[static_cast<std::size_t>(at)] = ac;
        EXPECT_FALSE(detail::IsDcOnly(block)) << "AC " << ac << " at " << at;
        block[static_cast<std::size_t>(at)] = 0;
      }
    }
  }
}

// The DC-only fill against the full reference transform: every DC within 8 x 2048 (eight times
// what an 8-bit encoder produces) under every quantization value, products past 2^19 taking
// the 64-bit path among them, then the rest of the int16 range in steps, with products up to
// 2^32. The AC multipliers do not take part (their coefficients are 0), so one table per DC
// quantization value covers every table.
TEST(InverseDct, DcOnlyShortcutGivesTheFullTransformsSamples) {
  constexpr int kEncoderLimit = 8 * 2048;
  for (int q = 1; q <= 255; ++q) {
    Bytes values(64, 1);
    values[0] = static_cast<std::uint8_t>(q);
    const QuantizationTable table = Table(values);
    const auto check = [&](int dc) {
      CoefficientBlock block{};
      block[0] = static_cast<std::int16_t>(dc);
      DataUnit reference, shortcut, dispatched;
      InverseDctScalar(reference, block, table);
      shortcut.samples.fill(detail::DcOnlySample(block[0], table.ScaledTable()[0]));
      InverseDct(dispatched, block, table);
      return reference.samples == shortcut.samples && reference.samples == dispatched.samples;
    };
    for (int dc = -kEncoderLimit; dc < kEncoderLimit; ++dc) {
      ASSERT_TRUE(check(dc)) << "Q " << q << ", D " << dc;
    }
    for (int dc = -32768; dc < -kEncoderLimit; dc += 7) ASSERT_TRUE(check(dc)) << q << ", " << dc;
    for (int dc = 32767; dc >= kEncoderLimit; dc -= 7) ASSERT_TRUE(check(dc)) << q << ", " << dc;
  }
}

// The first horizontal frequency falls across every row, the first vertical one down every
// column, by the same steps: the row and column passes treat both axes alike.
TEST(InverseDct, FirstFrequenciesFallAlongTheirOwnAxis) {
  const std::uint8_t falling[8] = {145, 142, 138, 131, 125, 118, 114, 111};
  const struct {
    const char* name;
    int coefficient;
    bool across_rows;
  } cases[] = {{"horizontal", 1, true}, {"vertical", 8, false}};
  for (const auto& c : cases) {
    CoefficientBlock block{};
    block[c.coefficient] = 100;
    const auto samples = Transform(block, Table(Bytes(64, 1)));
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(samples[8 * y + x], falling[c.across_rows ? x : y])
            << c.name << " at " << y << ", " << x;
      }
    }
  }
}

// A block an 8-bit encoder could produce: coefficients of a real DCT divided by the table.
CoefficientBlock OrdinaryBlock(std::mt19937& random, const QuantizationTable& table) {
  CoefficientBlock block{};
  std::uniform_int_distribution<int> dc(-1024, 1016);
  block[0] = static_cast<std::int16_t>(dc(random) / table.Values()[0]);
  const int nonzero = static_cast<int>(random() % 64);
  for (int n = 0; n < nonzero; ++n) {
    const int k = 1 + static_cast<int>(random() % 63);
    const int limit = 1 + 1000 / (1 + k / 4);  // high frequencies carry less energy
    const int value = static_cast<int>(random() % (2 * limit + 1)) - limit;
    block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value / table.Values()[k]);
  }
  return block;
}

Bytes RandomTableValues(std::mt19937& random, int largest) {
  Bytes values(64);
  for (auto& v : values) v = static_cast<std::uint8_t>(1 + random() % largest);
  return values;
}

// The 64-bit path must only change blocks that 32 bits cannot hold.
TEST(InverseDct, SixtyFourBitPathMatchesTheThirtyTwoBitPathOnOrdinaryBlocks) {
  std::mt19937 random(2024);
  int narrow_blocks = 0;
  for (int t = 0; t < 200; ++t) {
    const QuantizationTable table = Table(RandomTableValues(random, t % 2 ? 255 : 16));
    for (int b = 0; b < 100; ++b) {
      const CoefficientBlock block = OrdinaryBlock(random, table);
      if (!detail::FitsNarrowArithmetic(block, table)) continue;
      ++narrow_blocks;
      DataUnit narrow, wide;
      detail::InverseDctNarrow(narrow, block, table);
      detail::InverseDctWide(wide, block, table);
      ASSERT_EQ(narrow.samples, wide.samples) << "table " << t << ", block " << b;
    }
  }
  EXPECT_GT(narrow_blocks, 15000);
}

// Blocks right at the 32-bit path's limit, with random signs, run under UBSan: any overflow in
// the narrow path would be reported.
TEST(InverseDct, ThirtyTwoBitPathHoldsBlocksAtItsLimit) {
  std::mt19937 random(7);
  const QuantizationTable table = Table(Bytes(64, 1));
  for (int b = 0; b < 5000; ++b) {
    CoefficientBlock block{};
    for (int i = 0; i < 64; ++i) {
      const std::int32_t magnitude = (1 << 19) / table.ScaledTable()[i];
      block[i] = static_cast<std::int16_t>(random() % 2 ? magnitude : -magnitude);
    }
    ASSERT_TRUE(detail::FitsNarrowArithmetic(block, table));
    DataUnit narrow, wide;
    detail::InverseDctNarrow(narrow, block, table);
    detail::InverseDctWide(wide, block, table);
    ASSERT_EQ(narrow.samples, wide.samples);
  }
}

TEST(InverseDct, ExtremeBlocksTakeTheWidePathWithoutOverflow) {
  const QuantizationTable table = Table(Bytes(64, 255));
  std::vector<CoefficientBlock> blocks(4);
  blocks[0].fill(32767);
  blocks[1].fill(-32768);
  for (int i = 0; i < 64; ++i) {
    blocks[2][i] = static_cast<std::int16_t>(i % 2 ? 32767 : -32768);
    blocks[3][i] = static_cast<std::int16_t>((i / 8 + i) % 3 ? -32768 : 32767);
  }
  for (const CoefficientBlock& block : blocks) {
    EXPECT_FALSE(detail::FitsNarrowArithmetic(block, table));
    DataUnit unit, wide;
    InverseDct(unit, block, table);
    detail::InverseDctWide(wide, block, table);
    EXPECT_EQ(unit.samples, wide.samples);
  }
}

}  // namespace
}  // namespace Lumarc
