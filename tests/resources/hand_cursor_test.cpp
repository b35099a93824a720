// The hand cursor as Windows reads it from the .cur file, and as the program's resource table
// hands it to the Linux layer, must both be the picture drawn in hand_cursor.txt.
#include "lumarc/launcher_resources.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using win32compat::kCursorRowBytes;
using win32compat::kCursorSize;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kDirectorySize = 6 + 16;  // ICONDIR and its one entry
constexpr std::size_t kInfoHeaderSize = 40;     // BITMAPINFOHEADER
constexpr std::size_t kPaletteSize = 2 * 4;     // two RGBQUADs
constexpr std::size_t kPlaneSize = kCursorSize * kCursorRowBytes;
constexpr std::size_t kImageSize = kInfoHeaderSize + kPaletteSize + 2 * kPlaneSize;

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ReadPicture() {
  std::ifstream in(LUMARC_HAND_CURSOR_PICTURE);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

unsigned Word(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t Dword(const Bytes& b, std::size_t at) {
  return Word(b, at) | static_cast<std::uint32_t>(Word(b, at + 2)) << 16;
}

bool Bit(const std::uint8_t* row, int x) {
  return (row[x / 8] >> (7 - x % 8)) & 1;
}

// A DIB plane is stored bottom-up; y counts from the top.
bool CurBit(const Bytes& cur, std::size_t plane_offset, int x, int y) {
  return Bit(&cur.at(plane_offset + (kCursorSize - 1 - y) * kCursorRowBytes), x);
}

bool MaskBit(const win32compat::CursorPlane& mask, int x, int y) {
  return Bit(&mask[y * kCursorRowBytes], x);
}

struct Pixel {
  bool and_bit;
  bool xor_bit;
};

Pixel Expected(char c) {
  switch (c) {
    case '.':
      return {true, false};  // screen shows through
    case '#':
      return {false, false};  // black
    case 'o':
      return {false, true};  // white
  }
  ADD_FAILURE() << "unknown pixel '" << c << "'";
  return {true, true};
}

class HandCursorFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(cur.size(), kDirectorySize + kImageSize) << LUMARC_HAND_CURSOR_FILE;
    ASSERT_EQ(picture.size(), static_cast<std::size_t>(kCursorSize));
    for (const std::string& line : picture) ASSERT_EQ(line.size(), std::size_t{kCursorSize});
  }

  static constexpr std::size_t kImage = kDirectorySize;
  static constexpr std::size_t kXorPlane = kImage + kInfoHeaderSize + kPaletteSize;
  static constexpr std::size_t kAndPlane = kXorPlane + kPlaneSize;

  Bytes cur = ReadFile(LUMARC_HAND_CURSOR_FILE);
  std::vector<std::string> picture = ReadPicture();
};

TEST_F(HandCursorFile, HoldsOneTwoColour32x32ImageWithHotSpotAt1x1) {
  EXPECT_EQ(Word(cur, 0), 0u);  // reserved
  EXPECT_EQ(Word(cur, 2), 2u);  // a cursor, not an icon
  EXPECT_EQ(Word(cur, 4), 1u);  // one image

  EXPECT_EQ(cur[6], kCursorSize);
  EXPECT_EQ(cur[7], kCursorSize);
  EXPECT_EQ(cur[8], 2) << "colour count";
  EXPECT_EQ(Word(cur, 10), 1u) << "hot spot x";
  EXPECT_EQ(Word(cur, 12), 1u) << "hot spot y";
  EXPECT_EQ(Dword(cur, 14), kImageSize);
  EXPECT_EQ(Dword(cur, 18), kImage);

  EXPECT_EQ(Dword(cur, kImage), kInfoHeaderSize);
  EXPECT_EQ(Dword(cur, kImage + 4), std::uint32_t{kCursorSize});
  EXPECT_EQ(Dword(cur, kImage + 8), 2u * kCursorSize) << "XOR and AND planes stacked";
  EXPECT_EQ(Word(cur, kImage + 12), 1u) << "planes";
  EXPECT_EQ(Word(cur, kImage + 14), 1u) << "bits per pixel";
  EXPECT_EQ(Dword(cur, kImage + 16), 0u) << "uncompressed";

  const Bytes palette(cur.begin() + kImage + kInfoHeaderSize, cur.begin() + kXorPlane);
  EXPECT_EQ(palette, (Bytes{0, 0, 0, 0, 255, 255, 255, 0})) << "black, then white";
}

TEST_F(HandCursorFile, MasksAreThePicture) {
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x) {
      const Pixel want = Expected(picture[y][x]);
      EXPECT_EQ(CurBit(cur, kAndPlane, x, y), want.and_bit) << "AND at " << x << "," << y;
      EXPECT_EQ(CurBit(cur, kXorPlane, x, y), want.xor_bit) << "XOR at " << x << "," << y;
    }
  }
}

// The table holds the hand alone, under the id launcher.rc gives it on Windows.
TEST_F(HandCursorFile, ResourceTableHoldsTheSameHandAsCursor102) {
  const auto& cursors = LumarcResources::kLauncherResources.cursors;
  ASSERT_EQ(cursors.size(), 1u);
  const win32compat::CursorResource& hand = cursors[0];
  EXPECT_EQ(hand.id, 102);
  EXPECT_EQ(hand.hotspot_x, static_cast<int>(Word(cur, 10)));
  EXPECT_EQ(hand.hotspot_y, static_cast<int>(Word(cur, 12)));
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x) {
      EXPECT_EQ(MaskBit(hand.and_mask, x, y), CurBit(cur, kAndPlane, x, y)) << x << "," << y;
      EXPECT_EQ(MaskBit(hand.xor_mask, x, y), CurBit(cur, kXorPlane, x, y)) << x << "," << y;
    }
  }
}

// A click lands where the hot spot is, so it must sit on the visible fingertip: white, with the
// outline right above and left of it, in the top-left corner of the picture.
TEST_F(HandCursorFile, HotSpotIsTheWhiteFingertip) {
  EXPECT_EQ(picture[1][1], 'o');
  EXPECT_EQ(picture[0][1], '#');
  EXPECT_EQ(picture[1][0], '#');
  EXPECT_EQ(picture[0][0], '.');
  EXPECT_EQ(picture[0].find_first_not_of('.'), 1u) << "nothing above the fingertip's row";
}

}  // namespace
