#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The sampled checksum that every page picture must pass before it is decoded. It reads 100
// single bytes at fixed offsets instead of the whole file, so the test costs the same for any
// picture size.
namespace PictureChecksum {

inline constexpr int kSampleCount = 100;
inline constexpr long kFirstSampleOffset = 8192;
// Each sample reads one byte and then seeks 100 further, so samples lie 101 bytes apart.
inline constexpr long kSampleStride = 101;

// Offset of sample k (0 to 99): 8192, 8293, ... 18191.
constexpr long SampleOffset(int k) {
  return kFirstSampleOffset + kSampleStride * k;
}

// Twice the sum of the sampled bytes, each byte past the end of the file counting -1: a file of
// 8192 bytes or less sums to -200. Empty when the file cannot be opened or a read fails, which
// the menu treats like a mismatch.
std::optional<std::int32_t> Compute(const std::string& path);

}  // namespace PictureChecksum
