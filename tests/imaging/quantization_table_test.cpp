#include "lumarc/quantization_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "lumarc/jpeg_decoder.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/zigzag.h"

#include "exception_message.h"

namespace Lumarc {
namespace {

using Lumarc::test_support::MessageOf;

using Bytes = std::vector<std::uint8_t>;

// values[k] = k + 1: every zigzag index carries its own value.
Bytes DistinctValues() {
  Bytes values(64);
  for (int k = 0; k < 64; ++k) values[k] = static_cast<std::uint8_t>(k + 1);
  return values;
}

QuantizationTable ReadTable(const Bytes& values) {
  MemoryInputByteStream stream(values);
  QuantizationTable table;
  table.ReadTable(stream, 0);
  return table;
}

// Both tables against the zigzag order as T.81 draws it (Figure A.6): the zigzag index of each
// natural position, row by row.
TEST(Zigzag, BothTablesFollowTheDrawnOrder) {
  const std::uint8_t drawn[64] = {0,  1,  5,  6,  14, 15, 27, 28,  //
                                  2,  4,  7,  13, 16, 26, 29, 42,  //
                                  3,  8,  12, 17, 25, 30, 41, 43,  //
                                  9,  11, 18, 24, 31, 40, 44, 53,  //
                                  10, 19, 23, 32, 39, 45, 52, 54,  //
                                  20, 22, 33, 38, 46, 51, 55, 60,  //
                                  21, 34, 37, 47, 50, 56, 59, 61,  //
                                  35, 36, 48, 49, 57, 58, 62, 63};
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(kNaturalToZigzag[i], drawn[i]) << "natural position " << i;
    EXPECT_EQ(kZigzagToNatural[drawn[i]], i) << "zigzag index " << int{drawn[i]};
  }
}

TEST(QuantizationTable, ReadsSixtyFourValuesInZigzagOrder) {
  const Bytes values = DistinctValues();
  MemoryInputByteStream stream(values);
  QuantizationTable table;
  EXPECT_FALSE(table.IsDefined());
  table.ReadTable(stream, 0);
  EXPECT_TRUE(table.IsDefined());
  EXPECT_EQ(std::streamoff(stream.GetPosition()), 64);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(table.Values()[k], k + 1);
}

TEST(QuantizationTable, ScaledTableTakesEachNaturalPositionFromItsZigzagValue) {
  const QuantizationTable table = ReadTable(DistinctValues());
  const auto& scaled = table.ScaledTable();
  EXPECT_EQ(scaled[0], 512 * 1);    // zigzag 0
  EXPECT_EQ(scaled[4], 512 * 15);   // zigzag 14
  EXPECT_EQ(scaled[32], 512 * 11);  // zigzag 10
  EXPECT_EQ(scaled[36], 512 * 40);  // zigzag 39
  EXPECT_EQ(scaled[41], 10805);     // trunc(23 x F(5, 1) x 4096), 23 = values[22]
  EXPECT_EQ(scaled[48], 20813);     // trunc(22 x F(6, 0) x 4096), 22 = values[21]
}

// The multipliers must be those of exact arithmetic for every 8-bit value; in particular the
// four positions of factor 1/8 must not come out one below 512 x value.
TEST(QuantizationTable, MultipliersAreExactForEveryValue) {
  const long double pi = std::acos(-1.0L);
  long double c[8];
  c[0] = std::cos(pi / 4);
  for (int k = 1; k < 8; ++k) c[k] = std::cos(k * pi / 16);
  for (int q = 1; q <= 255; ++q) {
    const QuantizationTable table = ReadTable(Bytes(64, static_cast<std::uint8_t>(q)));
    for (int i = 0; i < 64; ++i) {
      const int v = i / 8, u = i % 8;
      const bool eighth = (v == 0 || v == 4) && (u == 0 || u == 4);
      const long double exact = eighth ? 512.0L * q : q * 4096.0L / (16 * c[v] * c[u]);
      ASSERT_EQ(table.ScaledTable()[i], static_cast<std::int32_t>(exact))
          << "value " << q << ", position " << i;
    }
  }
}

TEST(QuantizationTable, RefusedPrecisionsReadNothingAndChangeNothing) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {1, "Only 8-bit Data is Supported"},
      {2, "Invalid Quantization Table Precision"},
      {15, "Invalid Quantization Table Precision"},
  };
  QuantizationTable table = ReadTable(DistinctValues());
  const Bytes ones(64, 1);
  for (const auto& [precision, message] : cases) {
    MemoryInputByteStream stream(ones);
    EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.ReadTable(stream, precision); }),
              message);
    EXPECT_EQ(std::streamoff(stream.GetPosition()), 0);
    EXPECT_EQ(table.Values()[1], 2);
    EXPECT_EQ(table.ScaledTable()[0], 512);
  }
}

TEST(QuantizationTable, AZeroValueStopsAtOnceAndKeepsTheOldMultipliers) {
  for (int zero_at : {0, 63}) {
    SCOPED_TRACE(zero_at);
    Bytes values(64, 2);
    values[zero_at] = 0;
    for (bool defined_before : {false, true}) {
      QuantizationTable table;
      if (defined_before) table = ReadTable(DistinctValues());
      MemoryInputByteStream stream(values);
      EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.ReadTable(stream, 0); }),
                "Zero value in quantization table");
      EXPECT_EQ(std::streamoff(stream.GetPosition()), zero_at + 1);
      EXPECT_EQ(table.IsDefined(), defined_before);
      EXPECT_EQ(table.Values()[zero_at], 0);
      if (zero_at > 0) {
        EXPECT_EQ(table.Values()[zero_at - 1], 2);  // the values read before it stay
      }
      EXPECT_EQ(table.ScaledTable()[0], defined_before ? 512 : 0);
    }
  }
}

TEST(QuantizationTable, DumpWritesEightIndentedLinesOfStoredValues) {
  const QuantizationTable table = ReadTable(DistinctValues());
  std::ostringstream out;
  out << std::hex;  // the values are written in decimal whatever the stream's base
  table.Dump(out);
  std::string expected;
  for (int row = 0; row < 8; ++row) {
    expected += "\n        ";
    for (int k = 0; k < 8; ++k) expected += std::to_string(8 * row + k + 1) + " ";
  }
  EXPECT_EQ(out.str(), expected);
}

}  // namespace
}  // namespace Lumarc
