#include "bmp_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace Lumarc::Tools {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

struct HeaderCase {
  const char* name;
  uint32_t width, height, bits, bytes_per_row, colours;
  uint32_t pixel_offset, file_size;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << c.name;
}

class BmpHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeaderTest, DescribesTheDibAsStored) {
  const HeaderCase& c = GetParam();
  std::vector<uint8_t> palette(size_t{c.colours} * 3, 7);
  std::vector<uint8_t> pixels(size_t{c.bytes_per_row} * c.height);
  std::vector<uint8_t> h =
      EncodeBmpHeaders({c.width, c.height, c.bits, c.bytes_per_row, palette, pixels});

  ASSERT_EQ(h.size(), c.pixel_offset);
  EXPECT_EQ(h[0], 'B');
  EXPECT_EQ(h[1], 'M');
  EXPECT_EQ(U32(h, 2), c.file_size);
  EXPECT_EQ(U32(h, 6), 0u);
  EXPECT_EQ(U32(h, 10), c.pixel_offset);
  EXPECT_EQ(U32(h, 14), 40u);
  EXPECT_EQ(U32(h, 18), c.width);
  EXPECT_EQ(U32(h, 22), c.height);  // positive: bottom-up rows
  EXPECT_EQ(U16(h, 26), 1u);
  EXPECT_EQ(U16(h, 28), c.bits);
  EXPECT_EQ(U32(h, 30), 0u);  // BI_RGB
  EXPECT_EQ(U32(h, 34), c.bytes_per_row * c.height);
  EXPECT_EQ(U32(h, 46), c.colours);
  EXPECT_EQ(U32(h, 50), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BmpHeaderTest,
    ::testing::Values(HeaderCase{"OnePixelColour", 1, 1, 24, 4, 0, 54, 58},
                      HeaderCase{"FivePixelsPadToSixteen", 5, 2, 24, 16, 0, 54, 86},
                      HeaderCase{"GreyWithFullPalette", 3, 2, 8, 4, 256, 1078, 1086},
                      HeaderCase{"MonochromeRow", 33, 1, 1, 8, 2, 62, 70}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpWriter, WritesPaletteAsRgbQuadsThenTheRowsUnchanged) {
  const std::vector<uint8_t> palette = {1, 2, 3, 4, 5, 6};  // blue, green, red per entry
  const std::vector<uint8_t> pixels = {0, 1, 1, 0, 1, 0, 0, 0};
  std::ostringstream out;
  WriteBmp(out, {3, 2, 8, 4, palette, pixels});

  std::string file = out.str();
  std::vector<uint8_t> bytes(file.begin(), file.end());
  ASSERT_EQ(bytes.size(), 14u + 40 + 8 + 8);
  EXPECT_THAT(std::vector<uint8_t>(bytes.begin() + 54, bytes.begin() + 62),
              ElementsAreArray({1, 2, 3, 0, 4, 5, 6, 0}));
  EXPECT_THAT(std::vector<uint8_t>(bytes.begin() + 62, bytes.end()), ElementsAreArray(pixels));
}

struct RefusalCase {
  const char* name;
  uint32_t width, height, bits, bytes_per_row;
  size_t palette_bytes, pixel_bytes;
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class BmpRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BmpRefusalTest, RefusesBeforeWritingAnything) {
  const RefusalCase& c = GetParam();
  std::vector<uint8_t> palette(c.palette_bytes), pixels(c.pixel_bytes);
  std::ostringstream out;
  try {
    WriteBmp(out, {c.width, c.height, c.bits, c.bytes_per_row, palette, pixels});
    FAIL() << "accepted";
  } catch (const BmpError& e) {
    EXPECT_THAT(e.what(), HasSubstr(c.message));
  }
  EXPECT_TRUE(out.str().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, BmpRefusalTest,
    ::testing::Values(RefusalCase{"SixteenBits", 2, 2, 16, 4, 0, 8, "bit count"},
                      RefusalCase{"NoBitCount", 0, 0, 0, 0, 0, 0, "bit count"},
                      RefusalCase{"RowsNotPaddedToWords", 5, 1, 24, 15, 0, 15, "laid out"},
                      RefusalCase{"PixelsShort", 2, 2, 24, 8, 0, 15, "picture size"},
                      RefusalCase{"PartialPaletteEntry", 1, 1, 8, 4, 4, 4, "3 bytes"},
                      RefusalCase{"PaletteBeyondEightBits", 1, 1, 8, 4, 257 * 3, 4, "bit count"},
                      RefusalCase{"PaletteOnTrueColour", 1, 1, 24, 4, 3, 4, "bit count"},
                      RefusalCase{"HeightBeyondSignedRange", 1, 0x80000000u, 24, 4, 0, 0,
                                  "too large"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace Lumarc::Tools
