#include "lumarc/bitmap_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "lumarc/bitmap_image_storage.h"
#include "lumarc/graphics_exception.h"

#include "exception_message.h"

namespace Lumarc {
namespace {

using Lumarc::test_support::MessageOf;

void ExpectEmpty(const BitmapImage& image) {
  EXPECT_EQ(image.Width(), 0u);
  EXPECT_EQ(image.Height(), 0u);
  EXPECT_EQ(image.BitCount(), 0u);
  EXPECT_EQ(image.ColorCount(), 0u);
  EXPECT_EQ(image.PixelData(), nullptr);
  EXPECT_THROW(image.PaletteEntry(0), std::range_error);
}

struct SizeCase {
  std::uint32_t color_count, bit_count, width, height;
  std::uint32_t bytes_per_row;
  std::uint32_t stored_color_count;
};

TEST(BitmapImage, AllocateSizesRowsToMultiplesOfFourBytesAndZeroFillsBothBuffers) {
  const SizeCase cases[] = {
      {0, 24, 1, 1, 4, 0},     // 3 data bytes + 1 pad
      {256, 8, 3, 2, 4, 256},  // 3 data bytes + 1 pad
      {2, 1, 33, 1, 8, 2},     // 33 bits need 5 bytes
      {0, 24, 5, 1, 16, 0},    // 15 data bytes
      {16, 4, 9, 2, 8, 16},    // 36 bits need 5 bytes
      {4, 2, 16, 3, 4, 4},     // exactly 4 bytes, no pad
      {0, 24, 4, 2, 12, 0},    // exactly 12 bytes, no pad
      {7, 24, 2, 2, 8, 0},     // a 24-bit image keeps no palette, whatever the count
      {300, 8, 1, 1, 4, 300},  // the colour count is not held to the bit count
  };
  BitmapImage image;
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bit_count << " bits, " << c.width << " x " << c.height);
    image.Allocate(c.color_count, c.bit_count, c.width, c.height);
    EXPECT_EQ(image.Width(), c.width);
    EXPECT_EQ(image.Height(), c.height);
    EXPECT_EQ(image.BitCount(), c.bit_count);
    EXPECT_EQ(image.BytesPerRow(), c.bytes_per_row);
    EXPECT_EQ(image.ColorCount(), c.stored_color_count);
    const std::uint8_t* pixels = image.PixelData();
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(std::all_of(pixels, pixels + c.bytes_per_row * c.height,
                            [](std::uint8_t b) { return b == 0; }));
    for (std::uint32_t i = 0; i < c.stored_color_count; ++i) {
      const PaletteColor& entry = image.PaletteEntry(i);
      EXPECT_EQ(entry.blue | entry.green | entry.red, 0) << "entry " << i;
    }
  }
}

TEST(BitmapImage, ZeroWidthOrHeightGivesNoPixelBuffer) {
  BitmapImage image;
  image.Allocate(0, 24, 0, 5);
  EXPECT_EQ(image.BytesPerRow(), 0u);
  EXPECT_EQ(image.PixelData(), nullptr);
  image.Allocate(256, 8, 7, 0);
  EXPECT_EQ(image.BytesPerRow(), 8u);
  EXPECT_EQ(image.Height(), 0u);
  EXPECT_EQ(image.PixelData(), nullptr);
  EXPECT_EQ(image.ColorCount(), 256u);
}

TEST(BitmapImage, PictureRowsAreStoredBottomUp) {
  BitmapImage image;
  image.Allocate(0, 24, 1, 3);
  const std::uint8_t* base = image.PixelData();
  EXPECT_EQ(image.PictureRow(0) - base, 8);
  EXPECT_EQ(image.PictureRow(1) - base, 4);
  EXPECT_EQ(image.PictureRow(2) - base, 0);
  EXPECT_EQ(MessageOf<std::range_error>([&] { image.PictureRow(3); }), "Subscript Out of Range");
}

TEST(BitmapImage, PaletteEntriesAreWritableAndBoundsTested) {
  BitmapImage image;
  image.Allocate(256, 8, 2, 2);
  for (std::uint32_t i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    image.PaletteEntry(i) = {level, level, level};
  }
  image.PaletteEntry(7).red = 200;
  const BitmapImage& view = image;
  EXPECT_EQ(view.PaletteEntry(255).green, 255);
  EXPECT_EQ(view.PaletteEntry(7).blue, 7);
  EXPECT_EQ(view.PaletteEntry(7).red, 200);
  EXPECT_EQ(MessageOf<std::range_error>([&] { image.PaletteEntry(256); }),
            "Subscript Out of Range");
  EXPECT_THROW(view.PaletteEntry(std::numeric_limits<std::uint32_t>::max()), std::range_error);

  image.Allocate(0, 24, 1, 1);
  EXPECT_EQ(MessageOf<std::range_error>([&] { image.PaletteEntry(0); }), "Subscript Out of Range");
}

TEST(BitmapImage, UnsupportedBitCountLeavesThePictureEmpty) {
  for (std::uint32_t bit_count : {0u, 3u, 16u, 32u}) {
    SCOPED_TRACE(bit_count);
    BitmapImage image;
    image.Allocate(256, 8, 10, 10);
    try {
      image.Allocate(256, bit_count, 10, 10);
      ADD_FAILURE() << "accepted";
    } catch (const GraphicsException& e) {
      EXPECT_STREQ(e.what(), "Unsupported Bit Count");
    }
    ExpectEmpty(image);
  }
}

TEST(BitmapImage, SizesBeyondFourGibibytesAreRefusedAndLeaveThePictureEmpty) {
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  const SizeCase cases[] = {
      {0, 24, kMax, 1, 0, 0},        // one row needs more than 32 bits
      {0, 24, 65535, 65535, 0, 0},   // 196608 x 65535 bytes
      {256, 8, 65536, 65537, 0, 0},  // just over 2^32 bytes
      {kMax, 8, 1, 1, 0, 0},         // palette of 3 x (2^32 - 1) bytes
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.color_count << " colours, " << c.width << " x " << c.height);
    BitmapImage image;
    image.Allocate(256, 8, 3, 2);
    try {
      image.Allocate(c.color_count, c.bit_count, c.width, c.height);
      ADD_FAILURE() << "accepted";
    } catch (const GraphicsException& e) {
      EXPECT_STREQ(e.what(), "Image Too Large for Memory");
    }
    ExpectEmpty(image);
  }
}

TEST(BitmapImage, ClearEmptiesAndTheImageCanBeSizedAgain) {
  BitmapImage image;
  image.Allocate(2, 1, 100, 100);
  image.Clear();
  ExpectEmpty(image);
  image.Allocate(0, 24, 2, 2);
  EXPECT_EQ(image.BytesPerRow(), 8u);
  EXPECT_NE(image.PixelData(), nullptr);
}

// Storage kept aside is invisible: the image is empty, and the next picture of the same size
// or of another size is zero-filled as a fresh one would be.
TEST(BitmapImage, StorageKeptAsideComesBackZeroFilled) {
  BitmapImage image;
  for (const std::uint32_t width : {7u, 5u}) {  // the same byte size, then another
    image.Allocate(0, 24, 7, 3);
    std::fill_n(image.PixelData(), image.BytesPerRow() * image.Height(), std::uint8_t{0xAB});
    BitmapImageStorage::ClearKeepingStorage(image);
    ExpectEmpty(image);
    image.Allocate(0, 24, width, 3);
    const std::uint8_t* pixels = image.PixelData();
    EXPECT_TRUE(std::all_of(pixels, pixels + image.BytesPerRow() * image.Height(),
                            [](std::uint8_t b) { return b == 0; }))
        << "width " << width;
    BitmapImageStorage::ReleaseKeptStorage(image);
    EXPECT_NE(image.PixelData(), nullptr);  // only what was kept aside goes
  }
}

}  // namespace
}  // namespace Lumarc
