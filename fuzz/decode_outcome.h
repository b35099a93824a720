#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "lumarc/decode_path.h"

namespace Lumarc {
class BitmapImage;
}

// The limit's check is the same code at any value; a small one caps the bitmap fill that every
// frame within the limit costs (about 5 s for a 100-megapixel frame under the sanitizers), so a
// time-out points at work that does not follow the data, not at a large declared picture.
constexpr std::uint64_t kFuzzMemoryLimit = std::uint64_t{64} << 20;

// A bitmap's size and pixel rows, padding included.
struct BitmapContents {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bit_count = 0;
  std::vector<std::uint8_t> pixels;
  bool operator==(const BitmapContents&) const = default;
};

BitmapContents ContentsOf(const Lumarc::BitmapImage& bitmap);

// How one read ended: the exception's type and message, where the stream stopped, the bitmap
// it left and the verbose listing it wrote.
struct DecodeOutcome {
  std::string error;    // type and message; empty after a successful read
  std::string message;  // the message alone
  std::string listing;
  std::streamoff position = 0;
  BitmapContents bitmap;
  bool operator==(const DecodeOutcome&) const = default;
};

// One JpegDecoder::ReadImage from memory on the decode path selected now, under the fuzzing
// memory limit.
DecodeOutcome DecodeForFuzzing(std::span<const std::uint8_t> image, bool verbose, bool strict,
                               Lumarc::DecodePath path = Lumarc::DecodePath::kFast);
