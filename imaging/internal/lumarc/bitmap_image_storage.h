#pragma once

#include <cstdint>

#include "lumarc/bitmap_image.h"

namespace Lumarc {

// What the decoder does with a bitmap's storage that no other caller needs. A read brackets
// itself with ClearKeepingStorage and ReleaseKeptStorage: reading into a bitmap of the same byte
// size again takes its pixel buffer over instead of obtaining fresh pages (for a 4000 x 3000
// picture that saves about 9000 page faults per read), and nothing stays kept beyond the read.
class BitmapImageStorage {
 public:
  // As BitmapImage::Clear, with the pixel buffer set aside for the next allocation.
  static void ClearKeepingStorage(BitmapImage& bitmap);
  static void ReleaseKeptStorage(BitmapImage& bitmap);
  // As BitmapImage::Allocate, except that the pixels are not zero-filled: a kept buffer is taken
  // over as it stands (it still holds the previous picture), and a new one is left as the
  // allocator gives it. True unless there are no pixels. The writer must then call
  // ClearRowsFrom with the rows it wrote, whatever happens.
  static bool AllocateUnfilled(BitmapImage& bitmap, std::uint32_t color_count,
                               std::uint32_t bit_count, std::uint32_t width, std::uint32_t height);
  // Zeroes every pixel of picture rows `first` (from the top) to the last, and the padding after
  // the pixels of the rows above them.
  static void ClearRowsFrom(BitmapImage& bitmap, std::uint32_t first);
};

}  // namespace Lumarc
