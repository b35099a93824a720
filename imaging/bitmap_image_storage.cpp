#include "lumarc/bitmap_image_storage.h"

#include <algorithm>
#include <cstring>

namespace Lumarc {

void BitmapImageStorage::ClearKeepingStorage(BitmapImage& bitmap) {
  ReleaseKeptStorage(bitmap);
  bitmap.kept_bytes = std::uint64_t{bitmap.bytes_per_row} * bitmap.height;
  bitmap.kept_pixels = std::move(bitmap.pixels);
  bitmap.Clear();
}

void BitmapImageStorage::ReleaseKeptStorage(BitmapImage& bitmap) {
  bitmap.kept_pixels.reset();
  bitmap.kept_bytes = 0;
}

bool BitmapImageStorage::AllocateUnfilled(BitmapImage& bitmap, std::uint32_t color_count,
                                          std::uint32_t bit_count, std::uint32_t width,
                                          std::uint32_t height) {
  return bitmap.AllocateKeeping(color_count, bit_count, width, height, false);
}

// Rows are stored bottom-up: picture rows first to height - 1 are the first stored rows.
void BitmapImageStorage::ClearRowsFrom(BitmapImage& bitmap, std::uint32_t first) {
  std::uint8_t* pixels = bitmap.pixels.get();
  if (pixels == nullptr) return;
  const std::uint32_t height = bitmap.height;
  const std::size_t row_bytes = bitmap.bytes_per_row;
  const std::uint32_t cleared = height - std::min(first, height);
  std::memset(pixels, 0, row_bytes * cleared);
  const std::size_t data_bytes = (std::size_t{bitmap.width} * bitmap.bit_count + 7) / 8;
  if (data_bytes == row_bytes) return;
  for (std::uint32_t row = cleared; row < height; ++row) {
    std::memset(pixels + row * row_bytes + data_bytes, 0, row_bytes - data_bytes);
  }
}

}  // namespace Lumarc
