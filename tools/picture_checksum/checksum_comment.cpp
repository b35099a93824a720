#include "checksum_comment.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "picture_checksum.h"

namespace Lumarc::Tools {
namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kApp0 = 0xE0;
constexpr std::uint8_t kCom = 0xFE;
// Length field, "JFIF\0", version, density unit, both densities and the thumbnail size.
constexpr std::size_t kJfifHeaderLength = 16;

// The comment's payload opens with this text and its terminating 0: segment readers take it for
// the segment's identifier, and a later --set knows its own comment by it.
constexpr std::string_view kFillerIdentifier = "picture-checksum filler";

constexpr std::size_t kFirstSample = PictureChecksum::SampleOffset(0);
// The comment ends right after the last sampled byte.
constexpr std::size_t kCommentEnd =
    PictureChecksum::SampleOffset(PictureChecksum::kSampleCount - 1) + 1;

std::size_t ReadWord(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::size_t{bytes[at]} << 8 | bytes[at + 1];
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view text) {
  return at + text.size() <= bytes.size() &&
         std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Offset just past the JFIF APP0 segment that must open the file.
std::size_t JfifHeaderEnd(std::span<const std::uint8_t> jpeg) {
  if (jpeg.size() < 4 + kJfifHeaderLength || jpeg[0] != kMarker || jpeg[1] != kSoi ||
      jpeg[2] != kMarker || jpeg[3] != kApp0) {
    throw ChecksumRefused("not a JFIF file: it must open with SOI and a JFIF APP0 segment");
  }
  const std::size_t length = ReadWord(jpeg, 4);
  if (length < kJfifHeaderLength || !StartsWith(jpeg, 6, "JFIF") || 4 + length > jpeg.size()) {
    throw ChecksumRefused("not a JFIF file: its APP0 segment is no complete JFIF header");
  }
  return 4 + length;
}

// Where the picture's own data resumes at `at`: past a comment that an earlier --set put there.
std::size_t SkipEarlierFiller(std::span<const std::uint8_t> jpeg, std::size_t at) {
  if (at + 4 > jpeg.size() || jpeg[at] != kMarker || jpeg[at + 1] != kCom) return at;
  const std::size_t length = ReadWord(jpeg, at + 2);
  const std::size_t payload = at + 4;
  const bool ours = length >= 2 + kFillerIdentifier.size() + 1 && at + 2 + length <= jpeg.size() &&
                    StartsWith(jpeg, payload, kFillerIdentifier) &&
                    jpeg[payload + kFillerIdentifier.size()] == 0;
  return ours ? at + 2 + length : at;
}

void CheckReachable(std::int32_t value) {
  if (value % 2 != 0) {
    throw ChecksumRefused("VALUE " + std::to_string(value) +
                          " is odd, but the checksum is twice a sum of bytes");
  }
  if (value < 0 || value > kLargestSettableChecksum) {
    throw ChecksumRefused("VALUE " + std::to_string(value) +
                          " is out of reach: a comment can give from 0 to " +
                          std::to_string(kLargestSettableChecksum));
  }
}

// The comment segment that starts at file offset `start`, with its samples summing to value / 2.
std::vector<std::uint8_t> FillerComment(std::size_t start, std::int32_t value) {
  if (start + 4 + kFillerIdentifier.size() + 1 > kFirstSample) {
    throw ChecksumRefused("the JFIF header reaches too close to byte " +
                          std::to_string(kFirstSample) + " to leave room for the comment");
  }
  // At most 18192 - 20 bytes: always within a segment's 65535.
  const std::size_t length = kCommentEnd - start - 2;
  std::vector<std::uint8_t> comment(kCommentEnd - start, 0);
  comment[0] = kMarker;
  comment[1] = kCom;
  comment[2] = static_cast<std::uint8_t>(length >> 8);
  comment[3] = static_cast<std::uint8_t>(length & 0xFF);
  std::copy(kFillerIdentifier.begin(), kFillerIdentifier.end(), comment.begin() + 4);

  // Spread the sum evenly: 13821 over 100 samples is 21 bytes of 139 and 79 of 138.
  const int sum = value / 2;
  const int count = PictureChecksum::kSampleCount;
  for (int k = 0; k < count; ++k) {
    const std::size_t offset = static_cast<std::size_t>(PictureChecksum::SampleOffset(k)) - start;
    comment[offset] = static_cast<std::uint8_t>(sum / count + (k < sum % count ? 1 : 0));
  }
  return comment;
}

}  // namespace

std::vector<std::uint8_t> WithChecksumComment(std::span<const std::uint8_t> jpeg,
                                              std::int32_t value) {
  CheckReachable(value);
  const std::size_t header_end = JfifHeaderEnd(jpeg);
  const std::size_t rest = SkipEarlierFiller(jpeg, header_end);
  const std::vector<std::uint8_t> comment = FillerComment(header_end, value);

  std::vector<std::uint8_t> result(jpeg.begin(),
                                   jpeg.begin() + static_cast<std::ptrdiff_t>(header_end));
  result.insert(result.end(), comment.begin(), comment.end());
  result.insert(result.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(rest), jpeg.end());
  return result;
}

}  // namespace Lumarc::Tools
