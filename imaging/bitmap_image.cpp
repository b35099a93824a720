#include "lumarc/bitmap_image.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "lumarc/graphics_exception.h"
#include "lumarc/messages.h"

namespace Lumarc {
namespace {

constexpr std::uint64_t kMaxBufferBytes = std::numeric_limits<std::uint32_t>::max();

bool IsSupportedBitCount(std::uint32_t bit_count) {
  switch (bit_count) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 24:
      return true;
    default:
      return false;
  }
}

// Whole bytes for the row's pixels, then up to the next multiple of 4. Computed in 64 bits:
// a width near 2^32 at 24 bits needs more than 32.
std::uint64_t RowBytes(std::uint32_t width, std::uint32_t bit_count) {
  const std::uint64_t data_bytes = (std::uint64_t{width} * bit_count + 7) / 8;
  return (data_bytes + 3) & ~std::uint64_t{3};
}

[[noreturn]] void ThrowTooLarge() {
  throw GraphicsException(message::kImageTooLargeForMemory);
}

// calloc rather than new[]: a large buffer comes zeroed from fresh pages without touching them,
// and a refusal is a null pointer we can report.
void* AllocateZeroed(std::uint64_t bytes) {
  if (bytes == 0) return nullptr;
  if (bytes > std::numeric_limits<std::size_t>::max()) ThrowTooLarge();
  void* block = std::calloc(static_cast<std::size_t>(bytes), 1);
  if (block == nullptr) ThrowTooLarge();
  return block;
}

// For a writer that writes every byte itself: a buffer the allocator reuses is not zero-filled
// first (calloc would clear it, 3 % of a small picture's decode with a fresh bitmap).
void* AllocateUninitialized(std::uint64_t bytes) {
  if (bytes == 0) return nullptr;
  if (bytes > std::numeric_limits<std::size_t>::max()) ThrowTooLarge();
  void* block = std::malloc(static_cast<std::size_t>(bytes));
  if (block == nullptr) ThrowTooLarge();
  return block;
}

}  // namespace

void BitmapImage::FreeDeleter::operator()(void* block) const {
  std::free(block);
}

BitmapImage::BitmapImage() = default;

BitmapImage::~BitmapImage() = default;

void BitmapImage::Allocate(std::uint32_t colorCount, std::uint32_t bitCount, std::uint32_t width,
                           std::uint32_t height) {
  AllocateKeeping(colorCount, bitCount, width, height, true);
}

bool BitmapImage::AllocateKeeping(std::uint32_t colorCount, std::uint32_t bitCount,
                                  std::uint32_t width, std::uint32_t height, bool zero_fill) {
  Clear();
  if (!IsSupportedBitCount(bitCount)) throw GraphicsException(message::kUnsupportedBitCount);
  if (bitCount == 24) colorCount = 0;

  const std::uint64_t row_bytes = RowBytes(width, bitCount);
  const std::uint64_t pixel_bytes = row_bytes * height;  // both below 2^33: no wrap
  if (pixel_bytes > kMaxBufferBytes || row_bytes > kMaxBufferBytes) ThrowTooLarge();
  const std::uint64_t palette_bytes = std::uint64_t{colorCount} * sizeof(PaletteColor);
  if (palette_bytes > kMaxBufferBytes) ThrowTooLarge();

  // Both buffers are obtained before anything is stored, so a refusal leaves the image empty.
  std::unique_ptr<PaletteColor[], FreeDeleter> new_palette(
      static_cast<PaletteColor*>(AllocateZeroed(palette_bytes)));
  std::unique_ptr<std::uint8_t[], FreeDeleter> new_pixels;
  const bool reused = kept_pixels && kept_bytes == pixel_bytes;
  if (reused) {
    new_pixels = std::move(kept_pixels);
    if (zero_fill) std::memset(new_pixels.get(), 0, static_cast<std::size_t>(pixel_bytes));
  } else {
    kept_pixels.reset();  // before the new buffer, so the two never add up
    new_pixels.reset(static_cast<std::uint8_t*>(zero_fill ? AllocateZeroed(pixel_bytes)
                                                          : AllocateUninitialized(pixel_bytes)));
  }
  kept_bytes = 0;

  palette = std::move(new_palette);
  pixels = std::move(new_pixels);
  color_count = colorCount;
  bit_count = bitCount;
  this->width = width;
  this->height = height;
  bytes_per_row = static_cast<std::uint32_t>(row_bytes);
  return !zero_fill && pixel_bytes != 0;
}

std::uint64_t BitmapImage::AllocationBytes(std::uint32_t colorCount, std::uint32_t bitCount,
                                           std::uint32_t width, std::uint32_t height) {
  if (!IsSupportedBitCount(bitCount)) return 0;
  const std::uint64_t palette_bytes =
      bitCount == 24 ? 0 : std::uint64_t{colorCount} * sizeof(PaletteColor);
  return RowBytes(width, bitCount) * height + palette_bytes;
}

void BitmapImage::Clear() {
  palette.reset();
  pixels.reset();
  bit_count = 0;
  width = 0;
  height = 0;
  color_count = 0;
  bytes_per_row = 0;
}

std::uint8_t* BitmapImage::PictureRow(std::uint32_t row) {
  if (row >= height) throw std::range_error(message::kSubscriptOutOfRange);
  return pixels.get() + std::size_t{height - 1 - row} * bytes_per_row;
}

const std::uint8_t* BitmapImage::PictureRow(std::uint32_t row) const {
  if (row >= height) throw std::range_error(message::kSubscriptOutOfRange);
  return pixels.get() + std::size_t{height - 1 - row} * bytes_per_row;
}

PaletteColor& BitmapImage::PaletteEntry(std::uint32_t index) {
  if (index >= color_count) throw std::range_error(message::kSubscriptOutOfRange);
  return palette[index];
}

const PaletteColor& BitmapImage::PaletteEntry(std::uint32_t index) const {
  if (index >= color_count) throw std::range_error(message::kSubscriptOutOfRange);
  return palette[index];
}

}  // namespace Lumarc
