#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace Lumarc::Tools {

// Why a picture cannot be given the checksum asked for; the file is then left alone.
class ChecksumRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The comment fills every sampled byte with a value from 0 to 254 (never 0xFF, so that a reader
// hunting for markers without honouring segment lengths is not misled): 100 samples of at most
// 254, counted twice.
inline constexpr std::int32_t kLargestSettableChecksum = 2 * 100 * 254;

// Returns the JFIF file `jpeg` with a comment (COM) segment right after its JFIF APP0 segment
// whose bytes at the sampled offsets make the checksum `value`. A comment left there by an
// earlier call is replaced, so the call can be repeated. Nothing else of the file changes, so
// it decodes as before. Raises ChecksumRefused for an odd or unreachable value and for a file
// that does not open with SOI and a JFIF APP0 segment ending well before the first sample.
std::vector<std::uint8_t> WithChecksumComment(std::span<const std::uint8_t> jpeg,
                                              std::int32_t value);

}  // namespace Lumarc::Tools
