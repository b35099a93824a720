#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <stdexcept>
#include <vector>

namespace Lumarc::Tools {

// A picture already laid out as the pixel array of a bottom-up Windows DIB, described by value
// so that the writer depends on no image class.
struct BmpPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bit_count = 0;  // 1, 4, 8 (palette indices) or 24 (blue, green, red)
  uint32_t bytes_per_row = 0;
  std::span<const uint8_t> palette;  // 3 bytes per entry: blue, green, red
  std::span<const uint8_t> pixels;   // height rows of bytes_per_row bytes, bottom row first
};

// A picture that no BMP file can describe.
class BmpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The 14-byte file header, the 40-byte BITMAPINFOHEADER (positive height: rows bottom-up) and
// the palette as RGBQUADs: every byte of the file that comes before the pixel rows.
std::vector<uint8_t> EncodeBmpHeaders(const BmpPicture& picture);

// Writes the whole file: headers, then the rows exactly as the picture holds them. Refuses the
// picture before writing anything; whether the stream took every byte, its state tells.
void WriteBmp(std::ostream& out, const BmpPicture& picture);

}  // namespace Lumarc::Tools
