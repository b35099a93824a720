#pragma once

#include <cstdint>
#include <memory>

#include "lumarc/export.h"

namespace Lumarc {

// One palette entry, in the byte order of the first three bytes of a Win32 RGBQUAD.
struct PaletteColor {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
};
static_assert(sizeof(PaletteColor) == 3);

// An in-memory picture laid out exactly as a bottom-up Windows DIB of the same bit count, so
// that it can be handed to GDI without conversion: rows bottom-up (stored row 0 is the bottom
// picture row), each padded with zeros to a multiple of 4 bytes.
//
// Errors:
//  - Allocate with a bit count other than 1, 2, 4, 8 or 24: GraphicsException
//    "Unsupported Bit Count".
//  - Allocate whose pixel buffer or palette would exceed 4 GiB (bytes per row, bytes per row x
//    height or 3 x colour count beyond 32 bits, which no 32-bit DIB can describe) or whose
//    buffers cannot be obtained: GraphicsException "Image Too Large for Memory".
//  - PaletteEntry with an index not below the colour count: std::range_error
//    "Subscript Out of Range".
// A failed Allocate always leaves the image empty.
class LUMARC_EXPORT BitmapImage {
 public:
  BitmapImage();
  virtual ~BitmapImage();
  BitmapImage(const BitmapImage&) = delete;
  BitmapImage& operator=(const BitmapImage&) = delete;

  // Replaces the image with a zero-filled one of this size. For bit count 24 no palette is
  // made and the colour count is stored as 0 whatever the caller passes.
  void Allocate(std::uint32_t colorCount, std::uint32_t bitCount, std::uint32_t width,
                std::uint32_t height);
  // The bytes Allocate would obtain for this size (palette and pixels), computed in 64 bits;
  // 0 for an unsupported bit count.
  static std::uint64_t AllocationBytes(std::uint32_t colorCount, std::uint32_t bitCount,
                                       std::uint32_t width, std::uint32_t height);
  // Frees both buffers and returns to the empty state.
  void Clear();
  PaletteColor& PaletteEntry(std::uint32_t index);
  const PaletteColor& PaletteEntry(std::uint32_t index) const;

  std::uint32_t Width() const { return width; }
  std::uint32_t Height() const { return height; }
  std::uint32_t BitCount() const { return bit_count; }
  std::uint32_t ColorCount() const { return color_count; }
  std::uint32_t BytesPerRow() const { return bytes_per_row; }
  // The bottom row; null while the image is empty or has no pixels (width or height 0).
  std::uint8_t* PixelData() { return pixels.get(); }
  const std::uint8_t* PixelData() const { return pixels.get(); }
  // The start of picture row `row`, counted from the top: stored row Height() - 1 - row.
  // A row not below the height raises std::range_error "Subscript Out of Range".
  std::uint8_t* PictureRow(std::uint32_t row);
  const std::uint8_t* PictureRow(std::uint32_t row) const;

 private:
  // The decoder's own calls (not installed): reading into a bitmap of the same size again
  // reuses its pixel buffer, and a decoder that writes every pixel itself skips the zero-fill.
  friend class BitmapImageStorage;

  bool AllocateKeeping(std::uint32_t colorCount, std::uint32_t bitCount, std::uint32_t width,
                       std::uint32_t height, bool zero_fill);

  struct FreeDeleter {
    void operator()(void* block) const;
  };

  std::uint32_t bytes_per_row = 0;
  std::uint32_t bit_count = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::unique_ptr<std::uint8_t[], FreeDeleter> pixels;
  std::uint32_t color_count = 0;
  std::unique_ptr<PaletteColor[], FreeDeleter> palette;
  // The pixel buffer a decoder set aside for its next Allocate, and its size.
  std::unique_ptr<std::uint8_t[], FreeDeleter> kept_pixels;
  std::uint64_t kept_bytes = 0;
};

}  // namespace Lumarc
