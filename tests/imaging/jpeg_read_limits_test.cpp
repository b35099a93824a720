// The resources of a read: the memory limit on what a frame header may declare, and work that
// follows the data rather than the declared frame (inverse DCTs counted, never timed).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "jpeg_stream_builder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/image_component.h"
#include "lumarc/jpeg_decoder.h"

namespace lumarc_test {
namespace {

using Lumarc::BitmapImage;
using Lumarc::JpegDecoder;

const Outcome kTooLargeForMemory{"JpegError", "Image Too Large for Memory"};

// A header and frame only: enough to meet the memory check, nothing to decode.
Bytes FrameOnly(std::uint8_t code, std::uint16_t width, std::uint16_t height,
                std::initializer_list<FrameComponent> frame) {
  return JpegBuilder().Header().Sof(code, width, height, frame).Eoi().bytes();
}

const std::initializer_list<FrameComponent> kColor420 = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};

// The frame is refused before anything is allocated: the bitmap stays empty.
TEST(MemoryLimitTest, FrameNeedingMoreThanTheLimitIsRefusedBeforeAllocation) {
  struct Case {
    const char* name;
    Bytes stream;
  };
  const Case cases[] = {
      {"grey sequential", FrameOnly(0xC0, 1000, 700, {{1, 1, 1, 0}})},
      {"grey progressive", FrameOnly(0xC2, 1000, 700, {{1, 1, 1, 0}})},
      {"colour 4:2:0 progressive", FrameOnly(0xC2, 999, 701, kColor420)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JpegDecoder decoder;
    BitmapImage bitmap;
    ASSERT_EQ(DecodeOutcome(decoder, c.stream, bitmap), (Outcome{"none", ""}));
    const std::uint64_t needed = decoder.FrameMemoryBytes();
    EXPECT_GT(needed, 0u);

    decoder.SetMemoryLimit(needed - 1);
    EXPECT_EQ(DecodeOutcome(decoder, c.stream, bitmap), kTooLargeForMemory);
    EXPECT_EQ(bitmap.Width(), 0u);
    EXPECT_EQ(bitmap.PixelData(), nullptr);

    decoder.SetMemoryLimit(needed);
    EXPECT_EQ(DecodeOutcome(decoder, c.stream, bitmap), (Outcome{"none", ""}));
    EXPECT_EQ(bitmap.Width(), c.name[0] == 'c' ? 999u : 1000u);
  }
}

// Worked number: a 1000 x 1000 4:2:0 progressive frame is 63 x 63 MCUs, so luminance has
// 126 x 126 blocks and each chroma component 63 x 63. Per block a DataUnit, 128 bytes of
// coefficients and a 64-sample plane (256 for chroma, repeated 2 x 2), plus the 3 MB bitmap.
TEST(MemoryLimitTest, CountsTheBitmapAndEveryComponentBuffer) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder, FrameOnly(0xC2, 1000, 1000, kColor420), bitmap);
  const std::uint64_t unit = sizeof(Lumarc::DataUnit);
  const std::uint64_t luma = 126 * 126 * (unit + 128 + 64);
  const std::uint64_t chroma = 63 * 63 * (unit + 128 + 256);
  EXPECT_EQ(decoder.FrameMemoryBytes(), 3000u * 1000 + luma + 2 * chroma);
}

TEST(MemoryLimitTest, DefaultRefusesHugeFramesAndKeepsThePerBufferLimit) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  EXPECT_EQ(decoder.MemoryLimit(), JpegDecoder::kDefaultMemoryLimit);
  // 12000 x 12000 4:2:0 needs about 1.1 GB, each buffer below 1 GiB.
  EXPECT_EQ(DecodeOutcome(decoder, FrameOnly(0xC0, 12000, 12000, kColor420), bitmap),
            kTooLargeForMemory);
  // A limit raised past every total still leaves each component buffer capped.
  decoder.SetMemoryLimit(std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(DecodeOutcome(decoder, FrameOnly(0xC0, 65535, 65535, {{1, 1, 1, 0}}), bitmap),
            (Outcome{"JpegBadStream", "Image Too Large to Decode"}));
}

// A 2048 x 2048 grey frame has 65536 blocks; its scan carries three of them and then ends.
Bytes CutScan(std::uint8_t code, bool progressive) {
  BitWriter data;
  data.Dc(DcForLevel(60));
  if (!progressive) data.Eob();
  data.Dc(0);
  if (!progressive) data.Eob();
  data.Dc(DcForLevel(200) - DcForLevel(60));
  if (!progressive) data.Eob();
  const std::uint8_t se = progressive ? 0 : 63;
  return JpegBuilder()
      .Header()
      .Sof(code, 2048, 2048, {{1, 1, 1, 0}})
      .Sos({{1, 0, 0}}, 0, se)
      .Data(data.Finish())
      .bytes();
}

// The blocks decoded reach the bitmap; the rest show what they always did: a sequential
// block never decoded is 0, a progressive one holds zero coefficients, which are level 128.
TEST(WorkBoundTest, CutScanOfAHugeFrameTransformsOnlyWhatItsBitsReached) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "sequential");
    const Bytes stream = CutScan(progressive ? 0xC2 : 0xC0, progressive);
    JpegDecoder decoder;
    BitmapImage bitmap;
    EXPECT_NE(DecodeOutcome(decoder, stream, bitmap).type, "none");
    EXPECT_LE(decoder.TransformedBlocks(), 8 * stream.size() + 1);
    EXPECT_EQ(decoder.TransformedBlocks(), progressive ? 4u : 3u);
    const int untouched = progressive ? 128 : 0;
    EXPECT_EQ(GrayAt(bitmap, 0, 0), 60);
    EXPECT_EQ(GrayAt(bitmap, 15, 7), 60);
    EXPECT_EQ(GrayAt(bitmap, 16, 0), 200);
    EXPECT_EQ(GrayAt(bitmap, 24, 0), untouched);
    EXPECT_EQ(GrayAt(bitmap, 2047, 2047), untouched);
  }
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Fuzzer-found inputs of a few hundred bytes declaring 100 to 245 megapixels whose scans end at
// once; each used to transform and convert every declared block. Byte 0 is the fuzzer's option
// byte (bit 1: strict JFIF).
TEST(WorkBoundTest, SlowFuzzInputsEndWithWorkTheirBytesJustify) {
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(LUMARC_SLOW_INPUTS)) {
    SCOPED_TRACE(entry.path().filename().string());
    const Bytes input = ReadFile(entry.path());
    ASSERT_GT(input.size(), 1u);
    const Bytes stream(input.begin() + 1, input.end());
    JpegDecoder decoder;
    decoder.SetStrictJfif((input[0] & 2) != 0);
    BitmapImage bitmap;
    const Outcome outcome = DecodeOutcome(decoder, stream, bitmap);
    EXPECT_NE(outcome.type, "none");
    EXPECT_LE(decoder.TransformedBlocks(), 8 * stream.size() + 3);
    if (decoder.FrameMemoryBytes() > decoder.MemoryLimit()) {
      EXPECT_EQ(outcome, kTooLargeForMemory);
    }
    ++seen;
  }
  EXPECT_EQ(seen, 4);
}

}  // namespace
}  // namespace lumarc_test
