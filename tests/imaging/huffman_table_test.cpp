#include "lumarc/huffman_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lumarc/jpeg_decoder.h"
#include "lumarc/memory_input_byte_stream.h"

#include "exception_message.h"

namespace Lumarc {
namespace {

using Lumarc::test_support::MessageOf;

using Bytes = std::vector<std::uint8_t>;
using Counts = std::array<std::uint8_t, 16>;

// A DHT table payload: the 16 counts, then the values.
Bytes Payload(const Counts& counts, const Bytes& values) {
  Bytes bytes(counts.begin(), counts.end());
  bytes.insert(bytes.end(), values.begin(), values.end());
  return bytes;
}

// Entropy-coded bytes for a string of '0' and '1', padded with 1 bits as an encoder does, with
// a 0x00 stuffed after every 0xFF.
Bytes EntropyCoded(const std::string& bits) {
  Bytes bytes;
  for (std::size_t i = 0; i < bits.size(); i += 8) {
    std::uint8_t byte = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      const bool one = i + k < bits.size() ? bits[i + k] == '1' : true;
      byte = static_cast<std::uint8_t>(byte << 1 | (one ? 1 : 0));
    }
    bytes.push_back(byte);
    if (byte == 0xFF) bytes.push_back(0x00);
  }
  return bytes;
}

// Reads one table from its payload; the stream must then stand right after the last value.
HuffmanTable ReadTable(const Counts& counts, const Bytes& values) {
  Bytes bytes = Payload(counts, values);
  bytes.push_back(0xEE);  // the byte after the table
  MemoryInputByteStream stream(bytes);
  HuffmanTable table;
  EXPECT_EQ(table.ReadTable(stream), 16 + values.size());
  EXPECT_EQ(stream.ReadByte(), 0xEE);
  return table;
}

const Counts kLuminanceDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const Bytes kLuminanceDcValues = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

TEST(HuffmanTable, StandardLuminanceDcTableLimits) {
  const HuffmanTable table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
  EXPECT_TRUE(table.IsDefined());
  EXPECT_EQ(table.MinCodeLength(), 2);
  EXPECT_EQ(table.MaxCode(0), -1);
  EXPECT_EQ(table.MinCode(0), 257);
  EXPECT_EQ(table.MinCode(1), 0);
  EXPECT_EQ(table.MaxCode(1), 0);
  EXPECT_EQ(table.ValPtr(1), 0);
  EXPECT_EQ(table.MinCode(2), 2);
  EXPECT_EQ(table.MaxCode(2), 6);
  EXPECT_EQ(table.ValPtr(2), 1);
  EXPECT_EQ(table.MinCode(8), 510);
  EXPECT_EQ(table.MaxCode(8), 510);
  EXPECT_EQ(table.ValPtr(8), 11);
  EXPECT_EQ(table.MaxCode(9), -1);
}

TEST(HuffmanTable, DecodesEveryCodeOfTheStandardLuminanceDcTable) {
  const HuffmanTable table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
  const std::pair<const char*, int> codes[] = {
      {"00", 0},   {"010", 1},   {"011", 2},    {"100", 3},     {"101", 4},       {"110", 5},
      {"1110", 6}, {"11110", 7}, {"111110", 8}, {"1111110", 9}, {"11111110", 10}, {"111111110", 11},
  };
  std::string bits;
  for (const auto& [code, value] : codes) bits += code;
  const Bytes bytes = EntropyCoded(bits);
  MemoryInputByteStream stream(bytes, 1);
  stream.BeginBitReading();
  for (const auto& [code, value] : codes) EXPECT_EQ(table.Decode(stream), value) << code;
}

TEST(HuffmanTable, TwoHundredFiftySixCodesAreAcceptedAndTheLastDecodes) {
  Counts counts{};
  counts[7] = 255;  // codes 0 to 254 of 8 bits
  counts[8] = 1;    // code 510 of 9 bits
  Bytes values(256);
  for (int i = 0; i < 256; ++i) values[i] = static_cast<std::uint8_t>(255 - i);
  const HuffmanTable table = ReadTable(counts, values);
  const Bytes bytes = EntropyCoded(
      "00000011"
      "111111110");
  MemoryInputByteStream stream(bytes);
  stream.BeginBitReading();
  EXPECT_EQ(table.Decode(stream), 252);  // code 3
  EXPECT_EQ(table.Decode(stream), 0);    // value 255 of the payload
}

TEST(HuffmanTable, MoreThan256CodesAreRefusedBeforeAnyValueIsRead) {
  Counts too_many{};
  too_many[7] = 255;
  too_many[8] = 2;
  Bytes bytes = Payload(too_many, Bytes(257, 0x33));
  for (bool defined_before : {false, true}) {
    SCOPED_TRACE(defined_before);
    HuffmanTable table;
    if (defined_before) table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
    MemoryInputByteStream stream(bytes);
    EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.ReadTable(stream); }),
              "Huffman count > 256");
    EXPECT_EQ(std::streamoff(stream.GetPosition()), 16);
    EXPECT_EQ(table.IsDefined(), defined_before);
    EXPECT_EQ(table.MinCodeLength(), defined_before ? 2 : 16);
    EXPECT_EQ(table.MaxCode(2), defined_before ? 6 : -1);
    EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.BuildTables(too_many); }),
              "Huffman count > 256");
  }
}

// A DHT that ends inside its values leaves the table it held, values and limits alike.
TEST(HuffmanTable, APayloadCutShortKeepsThePreviousTable) {
  HuffmanTable table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
  Counts two_codes{};
  two_codes[1] = 2;
  const Bytes cut = Payload(two_codes, {0x77});  // the second value is missing
  MemoryInputByteStream cut_stream(cut);
  EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { table.ReadTable(cut_stream); }),
            "Premature end of file");
  const Bytes bits = EntropyCoded("00");  // the first code of the table held
  MemoryInputByteStream stream(bits);
  stream.BeginBitReading();
  EXPECT_EQ(table.Decode(stream), 0);
}

TEST(HuffmanTable, OnlySixteenBitCodesDecodeAfterOneRead) {
  Counts counts{};
  counts[15] = 2;
  const HuffmanTable table = ReadTable(counts, {0x42, 0x43});
  EXPECT_EQ(table.MinCodeLength(), 16);
  const Bytes bytes = {0x00, 0x01, 0x00, 0x00};
  MemoryInputByteStream stream(bytes);
  stream.BeginBitReading();
  EXPECT_EQ(table.Decode(stream), 0x43);
  EXPECT_EQ(table.Decode(stream), 0x42);
}

TEST(HuffmanTable, BitsMatchingNoCodeOfSixteenBitsOrLessAreRefused) {
  Counts counts{};
  counts[0] = 1;  // the single code 0
  const HuffmanTable table = ReadTable(counts, {7});
  const Bytes bytes = EntropyCoded(
      "0"
      "1000000000000000");
  MemoryInputByteStream stream(bytes);
  stream.BeginBitReading();
  EXPECT_EQ(table.Decode(stream), 7);
  EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.Decode(stream); }),
            "Bad Huffman Code Length");
}

TEST(HuffmanTable, ATableWithoutCodesIsDefinedButNeverDecodes) {
  for (bool defined_before : {false, true}) {
    SCOPED_TRACE(defined_before);
    HuffmanTable table;
    if (defined_before) table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
    const Bytes payload(16, 0);
    MemoryInputByteStream payload_stream(payload);
    EXPECT_EQ(table.ReadTable(payload_stream), 16u);
    EXPECT_TRUE(table.IsDefined());
    const Bytes bytes(4, 0x00);
    MemoryInputByteStream stream(bytes);
    stream.BeginBitReading();
    EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { table.Decode(stream); }),
              "Bad Huffman Code Length");
  }
}

TEST(HuffmanTable, ALaterPayloadReplacesTheTable) {
  Counts one_code{};
  one_code[0] = 1;
  HuffmanTable table = ReadTable(kLuminanceDcCounts, kLuminanceDcValues);
  const Bytes payload = Payload(one_code, {0x99});
  MemoryInputByteStream payload_stream(payload);
  EXPECT_EQ(table.ReadTable(payload_stream), 17u);
  EXPECT_EQ(table.MinCodeLength(), 1);
  EXPECT_EQ(table.MaxCode(2), -1);
  const Bytes bytes = {0x00};
  MemoryInputByteStream stream(bytes);
  stream.BeginBitReading();
  EXPECT_EQ(table.Decode(stream), 0x99);
}

// Counts that oversubscribe their lengths give codes that are no prefix code and may outgrow
// their length. Whatever the bits, Decode must return one of the N values just read, or fail.
// The table first holds 256 values of 0xFF, so a value index past N would show.
TEST(HuffmanTable, OversubscribedCountsNeverDecodeOutsideTheValuesRead) {
  std::mt19937 random(99);
  Counts full{};
  full[7] = 255;
  full[8] = 1;
  const Bytes stale(256, 0xFF);
  for (int round = 0; round < 2000; ++round) {
    HuffmanTable table = ReadTable(full, stale);
    Counts counts{};
    unsigned total = 0;
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
      const unsigned count = std::min<unsigned>(1 + random() % 80, 254 - total);
      counts[random() % 16] += static_cast<std::uint8_t>(count);
      total += count;
    }
    Bytes values(total);
    for (unsigned i = 0; i < total; ++i) values[i] = static_cast<std::uint8_t>(i);
    const Bytes payload = Payload(counts, values);
    MemoryInputByteStream payload_stream(payload);
    table.ReadTable(payload_stream);

    Bytes bits(64);
    for (auto& byte : bits) byte = static_cast<std::uint8_t>(random() % 255);  // no 0xFF
    MemoryInputByteStream stream(bits);
    stream.BeginBitReading();
    try {
      for (int k = 0; k < 100; ++k) ASSERT_LT(table.Decode(stream), total) << "round " << round;
    } catch (const std::exception&) {
      // Bad Huffman Code Length or the end of the bits: both are acceptable endings.
    }
  }
}

// What one run/size code and its value bits at the top of `prefix` (kCoefficientBits bits, the
// first `valid` of them data) decode to, from the codes the counts assign by T.81 Annex C:
// {length of code and value, advance, value}, or nothing when they do not lie within the valid
// bits.
std::optional<HuffmanTable::ShortCoefficients> ExpectedCoefficient(const Counts& counts,
                                                                   const Bytes& values,
                                                                   std::uint32_t prefix,
                                                                   std::uint32_t valid) {
  constexpr std::uint32_t kBits = HuffmanTable::kCoefficientBits;
  std::uint32_t code = 0;
  std::size_t index = 0;
  for (std::uint32_t length = 1; length <= 16; ++length, code <<= 1) {
    for (std::uint32_t n = 0; n < counts[length - 1]; ++n, ++code, ++index) {
      if (length > valid || (prefix >> (kBits - length)) != code) continue;
      const std::uint32_t run = values[index] >> 4;
      const std::uint32_t size = values[index] & 15;
      if (values[index] == 0)
        return HuffmanTable::ShortCoefficients{
            static_cast<std::uint8_t>(length), HuffmanTable::kEndOfBlockAdvance, 0, 0, 0, 0};
      if (size == 0 || length + size > valid) return std::nullopt;
      const std::uint32_t magnitude = ((prefix << length) & ((1u << kBits) - 1)) >> (kBits - size);
      const int value = magnitude < (1u << (size - 1))
                            ? static_cast<int>(magnitude) - (1 << size) + 1
                            : static_cast<int>(magnitude);
      return HuffmanTable::ShortCoefficients{static_cast<std::uint8_t>(length + size),
                                             static_cast<std::uint8_t>(run + 1),
                                             static_cast<std::int16_t>(value),
                                             0,
                                             0,
                                             0};
    }
  }
  return std::nullopt;
}

// Reads a payload into a table that may hold an earlier one, as a decoder reused across
// pictures does.
void ReadInto(HuffmanTable& table, const Counts& counts, const Bytes& values,
              HuffmanTable::Use use) {
  const Bytes payload = Payload(counts, values);
  MemoryInputByteStream stream(payload);
  table.ReadTable(stream, use);
}

// The block decoders trust every entry of the lookup that takes one or two coefficients at once.
// Over random complete tables, each entry must read its bits as the codes do, and pairs must be
// found where the bits hold them. One table object reads them all, each after the same counts
// with other values, so that no entry may survive from the table before.
TEST(HuffmanTable, ShortCoefficientEntriesReadTheirBitsAsTheCodesDo) {
  constexpr std::uint32_t kBits = HuffmanTable::kCoefficientBits;
  std::mt19937 random(7);
  std::size_t pairs = 0;
  HuffmanTable table;
  for (int round = 0; round < 50; ++round) {
    Counts counts{};
    std::uint32_t open = 1;  // codes still free at the current length
    std::uint32_t total = 0;
    for (std::uint32_t length = 1; length <= 16 && total < 250; ++length) {
      open *= 2;
      const std::uint32_t count = std::min<std::uint32_t>(
          {open - 1, static_cast<std::uint32_t>(random() % 6), 250 - total});
      counts[length - 1] = static_cast<std::uint8_t>(count);
      open -= count;
      total += count;
    }
    Bytes values(total);
    for (auto& value : values) value = static_cast<std::uint8_t>(random() % 8 == 0 ? 0 : random());
    ReadInto(table, counts, Bytes(values.rbegin(), values.rend()),
             HuffmanTable::Use::kAcCoefficients);
    ReadInto(table, counts, values, HuffmanTable::Use::kAcCoefficients);
    for (std::uint32_t prefix = 0; prefix < (1u << kBits); ++prefix) {
      const std::uint64_t window = std::uint64_t{prefix} << (64 - kBits);
      const HuffmanTable::ShortCoefficients entry = table.LookAheadCoefficients(window);
      if (entry.total_length == 0) continue;
      const auto first = ExpectedCoefficient(counts, values, prefix, kBits);
      ASSERT_TRUE(first.has_value()) << "round " << round << " prefix " << prefix;
      EXPECT_EQ(entry.first_length, first->total_length);
      EXPECT_EQ(entry.advance, first->advance);
      EXPECT_EQ(entry.value, first->value);
      const auto second =
          first->advance == HuffmanTable::kEndOfBlockAdvance
              ? std::nullopt
              : ExpectedCoefficient(counts, values,
                                    (prefix << first->total_length) & ((1u << kBits) - 1),
                                    kBits - first->total_length);
      if (!second) {
        EXPECT_EQ(entry.total_length, entry.first_length);
        EXPECT_EQ(entry.second_advance, 0);
        EXPECT_EQ(entry.second_value, entry.value);
        continue;
      }
      ++pairs;
      EXPECT_EQ(entry.total_length, first->total_length + second->total_length);
      EXPECT_EQ(entry.second_advance, second->advance);
      EXPECT_EQ(entry.second_value, second->value);
    }
  }
  EXPECT_GT(pairs, 0u);
}

// A DC table's entries hold a code and its difference bits, for the first step of every block,
// also where the same payload was read for AC coefficients before.
TEST(HuffmanTable, DcDifferenceEntriesReadTheirBitsAsTheCodesDo) {
  constexpr std::uint32_t kBits = HuffmanTable::kCoefficientBits;
  const Counts counts = kLuminanceDcCounts;
  const Bytes values = kLuminanceDcValues;
  HuffmanTable table;
  ReadInto(table, counts, values, HuffmanTable::Use::kAcCoefficients);
  ReadInto(table, counts, values, HuffmanTable::Use::kDcDifferences);
  std::size_t found = 0;
  for (std::uint32_t prefix = 0; prefix < (1u << kBits); ++prefix) {
    const HuffmanTable::ShortCoefficients entry =
        table.LookAheadDcDifference(std::uint64_t{prefix} << (64 - kBits));
    // The canonical codes of T.81 Annex C, and the difference after the one the prefix starts.
    std::uint32_t code = 0;
    std::size_t index = 0;
    std::optional<std::pair<std::uint32_t, int>> expected;
    for (std::uint32_t length = 1; length <= 16 && !expected; ++length, code <<= 1) {
      for (std::uint32_t n = 0; n < counts[length - 1]; ++n, ++code, ++index) {
        if (length > kBits || (prefix >> (kBits - length)) != code) continue;
        const std::uint32_t size = values[index];
        if (length + size > kBits) break;
        const std::uint32_t magnitude =
            size == 0 ? 0 : ((prefix << length) & ((1u << kBits) - 1)) >> (kBits - size);
        const int difference = size == 0 ? 0
                               : magnitude < (1u << (size - 1))
                                   ? static_cast<int>(magnitude) - (1 << size) + 1
                                   : static_cast<int>(magnitude);
        expected = {{length + size, difference}};
        break;
      }
    }
    if (!expected) {
      EXPECT_EQ(entry.total_length, 0) << prefix;
      continue;
    }
    ++found;
    EXPECT_EQ(entry.total_length, expected->first) << prefix;
    EXPECT_EQ(entry.value, expected->second) << prefix;
  }
  EXPECT_GT(found, (1u << kBits) / 2);
}

TEST(HuffmanTable, DumpListsTheValuesAndTheLimitsPerLength) {
  Counts counts{};
  counts[0] = 1;
  counts[2] = 2;
  const HuffmanTable table = ReadTable(counts, {0x0A, 0x1B, 0xFF});
  std::ostringstream out;
  table.Dump(out);
  out << 255;  // the stream is left in decimal
  std::string expected =
      "   Code Values: 0a 11b 2ff \n"
      "Length\t\tMincode\t\tMaxcode\t\tValptr\n"
      "-------------------------------------------------------\n"
      "0\t\t0\t\t0\t\t0\n"
      "1\t\t257\t\t-1\t\t0\n"
      "2\t\t4\t\t5\t\t1\n";
  for (int l = 3; l < 16; ++l) expected += std::to_string(l) + "\t\t257\t\t-1\t\t0\n";
  EXPECT_EQ(out.str(), expected + "255");
}

TEST(HuffmanTable, DumpOfATableWithoutCodesListsNoValues) {
  HuffmanTable table;
  std::ostringstream out;
  table.Dump(out);
  EXPECT_EQ(out.str().substr(0, 18), "   Code Values: \nL");
}

}  // namespace
}  // namespace Lumarc
