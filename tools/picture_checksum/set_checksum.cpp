#include "set_checksum.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "checksum_comment.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "output_target.h"
#include "picture_checksum.h"
#include "replace_file.h"

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;

// Everything of a decoded picture that the menu paints.
struct DecodedPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bit_count = 0;
  std::vector<std::uint8_t> palette;
  std::vector<std::uint8_t> pixels;

  bool operator==(const DecodedPicture&) const = default;
};

DecodedPicture Decode(const fs::path& path) {
  JpegDecoder decoder;
  BitmapImage image;
  try {
    decoder.ReadImageFile(path.string(), image);
  } catch (const std::exception& e) {
    throw ChecksumRefused("the image library cannot read it: " + std::string(e.what()));
  }
  if (image.Width() == 0 || image.Height() == 0) throw ChecksumRefused("it holds no picture");

  DecodedPicture picture{image.Width(), image.Height(), image.BitCount(), {}, {}};
  for (std::uint32_t i = 0; i < image.ColorCount(); ++i) {
    const PaletteColor& entry = image.PaletteEntry(i);
    picture.palette.insert(picture.palette.end(), {entry.blue, entry.green, entry.red});
  }
  picture.pixels.assign(image.PixelData(),
                        image.PixelData() + std::size_t{image.BytesPerRow()} * image.Height());
  return picture;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) throw ChecksumRefused("cannot open it");
  return {std::istreambuf_iterator<char>(in), {}};
}

void CheckRewrite(const fs::path& rewritten, std::int32_t value, const DecodedPicture& before) {
  const std::optional<std::int32_t> checksum = PictureChecksum::Compute(rewritten.string());
  if (checksum != value) {
    throw ChecksumRefused("the rewritten file's checksum is " +
                          (checksum ? std::to_string(*checksum) : std::string("unreadable")) +
                          ", not " + std::to_string(value));
  }
  if (Decode(rewritten) != before) {
    throw ChecksumRefused("the rewritten file would decode to a different picture");
  }
}

// Only a file can be read, checked and rewritten in place; reading a FIFO would wait for a
// writer, and a device has no contents to keep.
void CheckRewritable(const fs::path& path) {
  const OutputTarget target = FindOutputTarget(path);
  if (target.kind == OutputTarget::Kind::kStream) {
    throw ChecksumRefused(target.reason + ", not a file that can be rewritten");
  }
  if (target.kind == OutputTarget::Kind::kRefused) throw ChecksumRefused(target.reason);
}

}  // namespace

void SetPictureChecksum(const fs::path& path, std::int32_t value) {
  CheckRewritable(path);
  const std::vector<std::uint8_t> updated = WithChecksumComment(ReadBytes(path), value);
  const DecodedPicture before = Decode(path);

  ReplaceFile(
      path,
      [&](std::ostream& out) {
        out.write(reinterpret_cast<const char*>(updated.data()),
                  static_cast<std::streamsize>(updated.size()));
      },
      [&](const fs::path& rewritten) { CheckRewrite(rewritten, value, before); });
}

}  // namespace Lumarc::Tools
