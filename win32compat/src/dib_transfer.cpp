#include "dib_transfer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "nonclient_frame.h"

namespace win32compat {
namespace {

struct DibLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool bottom_up = true;
  int bits_per_pixel = 0;
  std::int64_t stride = 0;  // bytes per scan line, a multiple of 4
  std::uint32_t colours = 0;
};

bool SupportedDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

std::optional<DibLayout> LayoutOf(const BITMAPINFOHEADER& header) {
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB ||
      !SupportedDepth(header.biBitCount) || header.biWidth <= 0 || header.biHeight == 0) {
    return std::nullopt;
  }
  DibLayout layout;
  layout.width = header.biWidth;
  layout.height = std::llabs(static_cast<long long>(header.biHeight));
  layout.bottom_up = header.biHeight > 0;
  layout.bits_per_pixel = header.biBitCount;
  layout.stride = (layout.width * layout.bits_per_pixel + 31) / 32 * 4;
  if (layout.bits_per_pixel <= 8) {
    const std::uint32_t most = 1u << layout.bits_per_pixel;
    layout.colours = header.biClrUsed ? std::min(header.biClrUsed, most) : most;
  }
  return layout;
}

COLORREF PixelOf(const DibLayout& layout, const BITMAPINFO& info, const BYTE* row, std::int64_t x) {
  std::uint32_t index = 0;
  switch (layout.bits_per_pixel) {
    case 24:
    case 32: {
      const BYTE* pixel = row + x * (layout.bits_per_pixel / 8);
      return RGB(pixel[2], pixel[1], pixel[0]);
    }
    case 8:
      index = row[x];
      break;
    case 4:
      index = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
      break;
    default:
      index = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  if (index >= layout.colours) return RGB(0, 0, 0);
  // The colour table follows the header, whose size the header gives.
  const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(&info) +
                                                       info.bmiHeader.biSize);
  const RGBQUAD& colour = table[index];
  return RGB(colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
}

// The destination rows [first, end) whose scan lines are in the DIB and in the band given.
void SuppliedRows(const DibLayout& layout, const DibTransfer& t, std::int64_t& first,
                  std::int64_t& end) {
  const std::int64_t low = t.start_scan;
  const std::int64_t high =
      std::min<std::int64_t>(std::int64_t{t.start_scan} + t.scan_lines, layout.height);
  if (layout.bottom_up) {  // destination row dy shows scan line src_y + height - 1 - dy
    first = std::int64_t{t.src_y} + t.height - high;
    end = std::int64_t{t.src_y} + t.height - low;
  } else {  // destination row dy shows scan line src_y + dy
    first = low - t.src_y;
    end = high - t.src_y;
  }
  first = std::max<std::int64_t>(first, 0);
  end = std::min<std::int64_t>(end, t.height);
}

}  // namespace

std::optional<DibPixels> ConvertDib(const DibTransfer& t, const RECT& clip) {
  if (!t.info || !t.bits) return std::nullopt;
  const std::optional<DibLayout> layout = LayoutOf(t.info->bmiHeader);
  if (!layout) return std::nullopt;
  std::int64_t first_row = 0;
  std::int64_t end_row = 0;
  SuppliedRows(*layout, t, first_row, end_row);
  const std::int64_t first_column = std::max<std::int64_t>(-std::int64_t{t.src_x}, 0);
  const std::int64_t end_column = std::min<std::int64_t>(layout->width - t.src_x, t.width);

  // Clip in 64 bits first: the destination may lie far outside the 32-bit range.
  const std::int64_t left = std::max<std::int64_t>(t.dest_x + first_column, clip.left);
  const std::int64_t top = std::max<std::int64_t>(t.dest_y + first_row, clip.top);
  const std::int64_t right = std::min<std::int64_t>(t.dest_x + end_column, clip.right);
  const std::int64_t bottom = std::min<std::int64_t>(t.dest_y + end_row, clip.bottom);
  DibPixels result;
  if (left >= right || top >= bottom) return result;
  result.area = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                     static_cast<LONG>(bottom)};
  result.pixels.reserve(static_cast<std::size_t>((right - left) * (bottom - top)));
  const auto* bits = static_cast<const BYTE*>(t.bits);
  for (std::int64_t y = top; y < bottom; ++y) {
    const std::int64_t dy = y - t.dest_y;
    const std::int64_t scan =
        layout->bottom_up ? t.src_y + std::int64_t{t.height} - 1 - dy : t.src_y + dy;
    const BYTE* row = bits + (scan - t.start_scan) * layout->stride;
    for (std::int64_t x = left; x < right; ++x) {
      result.pixels.push_back(PixelOf(*layout, *t.info, row, x - t.dest_x + t.src_x));
    }
  }
  return result;
}

}  // namespace win32compat
