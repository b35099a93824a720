#include "bmp_writer.h"

#include <limits>

namespace Lumarc::Tools {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kRgbQuadSize = 4;
constexpr uint32_t kBiRgb = 0;  // uncompressed

bool IsBmpBitCount(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24;
}

// A DIB row holds width x bits, rounded up to whole 32-bit words.
uint64_t DibRowSize(uint32_t width, uint32_t bits) {
  return (uint64_t{width} * bits + 31) / 32 * 4;
}

void Validate(const BmpPicture& p) {
  if (!IsBmpBitCount(p.bit_count)) throw BmpError("a BMP file cannot hold this bit count");
  if (p.width > uint32_t{std::numeric_limits<int32_t>::max()} ||
      p.height > uint32_t{std::numeric_limits<int32_t>::max()}) {
    throw BmpError("picture too large for a BMP file");
  }
  if (p.bytes_per_row != DibRowSize(p.width, p.bit_count)) {
    throw BmpError("pixel rows are not laid out as in a DIB");
  }
  if (p.pixels.size() != uint64_t{p.bytes_per_row} * p.height) {
    throw BmpError("pixel data does not match the picture size");
  }
  if (p.palette.size() % 3 != 0) throw BmpError("palette entries must be 3 bytes each");
  uint64_t colours = p.palette.size() / 3;
  if (p.bit_count == 24 ? colours != 0 : colours > (uint64_t{1} << p.bit_count)) {
    throw BmpError("palette does not fit the bit count");
  }
}

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeBmpHeaders(const BmpPicture& p) {
  Validate(p);
  uint32_t colours = static_cast<uint32_t>(p.palette.size() / 3);
  uint64_t pixel_offset = kFileHeaderSize + kInfoHeaderSize + uint64_t{colours} * kRgbQuadSize;
  uint64_t file_size = pixel_offset + p.pixels.size();
  if (file_size > std::numeric_limits<uint32_t>::max()) {
    throw BmpError("picture too large for a BMP file");
  }

  std::vector<uint8_t> h;
  h.reserve(pixel_offset);
  h.push_back('B');
  h.push_back('M');
  PutLittleEndian(h, static_cast<uint32_t>(file_size), 4);
  PutLittleEndian(h, 0, 4);  // two reserved words
  PutLittleEndian(h, static_cast<uint32_t>(pixel_offset), 4);

  PutLittleEndian(h, kInfoHeaderSize, 4);
  PutLittleEndian(h, p.width, 4);
  PutLittleEndian(h, p.height, 4);  // positive: the rows are stored bottom-up
  PutLittleEndian(h, 1, 2);         // planes
  PutLittleEndian(h, p.bit_count, 2);
  PutLittleEndian(h, kBiRgb, 4);
  PutLittleEndian(h, static_cast<uint32_t>(p.pixels.size()), 4);
  PutLittleEndian(h, 0, 4);  // horizontal resolution: unknown
  PutLittleEndian(h, 0, 4);  // vertical resolution: unknown
  PutLittleEndian(h, colours, 4);
  PutLittleEndian(h, 0, 4);  // every colour is important

  for (size_t i = 0; i < p.palette.size(); i += 3) {
    h.insert(h.end(), {p.palette[i], p.palette[i + 1], p.palette[i + 2], 0});
  }
  return h;
}

void WriteBmp(std::ostream& out, const BmpPicture& picture) {
  std::vector<uint8_t> headers = EncodeBmpHeaders(picture);
  out.write(reinterpret_cast<const char*>(headers.data()),
            static_cast<std::streamsize>(headers.size()));
  out.write(reinterpret_cast<const char*>(picture.pixels.data()),
            static_cast<std::streamsize>(picture.pixels.size()));
}

}  // namespace Lumarc::Tools
