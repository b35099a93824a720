// Whole decodes from memory. The first byte picks the options so that one corpus covers the
// verbose trace and the strict component check as well as the plain path, and the fast decode
// paths compared with the reference ones.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <span>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/decode_path.h"
#include "lumarc/graphics_exception.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"

namespace {

// The limit's check is the same code at any value; a small one caps the bitmap fill that every
// frame within the limit costs (about 5 s for a 100-megapixel frame under the sanitizers), so a
// time-out points at work that does not follow the data, not at a large declared picture.
constexpr std::uint64_t kFuzzMemoryLimit = std::uint64_t{64} << 20;

// How one read ended: the exception's type and message, where the stream stopped, the bitmap
// it left and the verbose listing it wrote.
struct Outcome {
  std::string error;
  std::string listing;
  std::streamoff position = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bit_count = 0;
  std::vector<std::uint8_t> pixels;
  bool operator==(const Outcome&) const = default;
};

Outcome Decode(std::span<const std::uint8_t> image, bool verbose, bool strict) {
  Lumarc::MemoryInputByteStream stream(image);
  Lumarc::BitmapImage bitmap;
  Lumarc::JpegDecoder decoder;
  std::ostringstream listing;
  if (verbose) decoder.SetTraceOutput(&listing);
  decoder.SetStrictJfif(strict);
  decoder.SetMemoryLimit(kFuzzMemoryLimit);
  Outcome outcome;
  try {
    ReaderOf(decoder).ReadImage(stream, bitmap);
  } catch (const Lumarc::GraphicsException& error) {
    outcome.error = std::string(typeid(error).name()) + ": " + error.what();
  } catch (const Lumarc::InputByteStream::StreamError& error) {
    outcome.error = std::string("StreamError: ") + error.what();
  } catch (const std::bad_alloc&) {
    outcome.error = "bad_alloc";
  }
  outcome.listing = listing.str();
  outcome.position = stream.GetPosition();
  outcome.width = bitmap.Width();
  outcome.height = bitmap.Height();
  outcome.bit_count = bitmap.BitCount();
  if (bitmap.PixelData() != nullptr) {
    const std::uint8_t* pixels = bitmap.PixelData();
    outcome.pixels.assign(pixels, pixels + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const bool verbose = (options & 1) != 0;
  const bool strict = (options & 2) != 0;
  const bool compare_paths = (options & 4) != 0;
  const std::span<const std::uint8_t> image(data + 1, size - 1);

  Lumarc::SetDecodePath(Lumarc::DecodePath::kFast);
  const Outcome fast = Decode(image, verbose, strict);
  if (!compare_paths) return 0;
  // The fast paths must match the reference paths exactly, on damaged input as on good.
  Lumarc::SetDecodePath(Lumarc::DecodePath::kReference);
  const Outcome reference = Decode(image, verbose, strict);
  Lumarc::SetDecodePath(Lumarc::DecodePath::kFast);
  if (!(fast == reference)) {
    std::fprintf(stderr, "fast and reference paths differ: \"%s\" at %lld vs \"%s\" at %lld\n",
                 fast.error.c_str(), static_cast<long long>(fast.position), reference.error.c_str(),
                 static_cast<long long>(reference.position));
    std::abort();
  }
  return 0;
}
