// Whole decodes from memory. The first byte picks the options so that one corpus covers the
// verbose trace and the strict component check as well as the plain path.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <new>
#include <span>
#include <streambuf>

#include "lumarc/bitmap_image.h"
#include "lumarc/graphics_exception.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/memory_input_byte_stream.h"

namespace {

// Swallows the verbose listing: formatting still runs, and is fuzzed, but nothing is written.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char_type*, std::streamsize count) override { return count; }
};

// Restores std::cout even when the decode throws, so later runs and libFuzzer's own
// reports are not lost.
class CoutRedirect {
 public:
  explicit CoutRedirect(std::streambuf* buffer) : saved(std::cout.rdbuf(buffer)) {}
  ~CoutRedirect() { std::cout.rdbuf(saved); }
  CoutRedirect(const CoutRedirect&) = delete;
  CoutRedirect& operator=(const CoutRedirect&) = delete;

 private:
  std::streambuf* saved;
};

// The limit's check is the same code at any value; a small one caps the bitmap fill that every
// frame within the limit costs (about 5 s for a 100-megapixel frame under the sanitizers), so a
// time-out points at work that does not follow the data, not at a large declared picture.
constexpr std::uint64_t kFuzzMemoryLimit = std::uint64_t{64} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const bool verbose = (options & 1) != 0;
  const bool strict = (options & 2) != 0;
  const std::span<const std::uint8_t> image(data + 1, size - 1);

  static NullBuffer null_buffer;
  CoutRedirect redirect(verbose ? static_cast<std::streambuf*>(&null_buffer) : std::cout.rdbuf());

  Lumarc::MemoryInputByteStream stream(image);
  Lumarc::BitmapImage bitmap;
  Lumarc::JpegDecoder decoder;
  decoder.SetVerbose(verbose);
  decoder.SetStrictJfif(strict);
  decoder.SetMemoryLimit(kFuzzMemoryLimit);
  try {
    decoder.ReadImage(stream, bitmap);
  } catch (const Lumarc::GraphicsException&) {
  } catch (const Lumarc::InputByteStream::StreamError&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
