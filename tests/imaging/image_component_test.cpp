// ImageComponent on its own: configuration and checks, the block grid, the data-unit decoders
// fed with hand-written bits, and upsampling.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "jpeg_stream_builder.h"
#include "lumarc/huffman_table.h"
#include "lumarc/image_component.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/quantization_table.h"
#include "lumarc/zigzag.h"

#include "exception_message.h"

namespace lumarc_test {
namespace {

using Lumarc::test_support::MessageOf;

using Lumarc::FrameGeometry;
using Lumarc::ImageComponent;
using Lumarc::JpegDecoder;
using Lumarc::MemoryInputByteStream;

// Marks the end of the bits a decoder is meant to consume.
constexpr std::uint32_t kSentinel = 0x5A;

TEST(ComponentConfigurationTest, SamplingFrequenciesOutside1To4AreRefusedAndNotStored) {
  ImageComponent component;
  component.SetHorizontalFrequency(3);
  component.SetVerticalFrequency(4);
  for (std::uint32_t bad : {0u, 5u, 15u}) {
    EXPECT_EQ(MessageOf<JpegDecoder::JpegError>([&] { component.SetHorizontalFrequency(bad); }),
              "Sampling Frequency Outside the Range 1-4");
    EXPECT_EQ(MessageOf<JpegDecoder::JpegError>([&] { component.SetVerticalFrequency(bad); }),
              "Vertical Sampling Frequency Outside the Range 1-4");
  }
  EXPECT_EQ(component.HorizontalFrequency(), 3u);
  EXPECT_EQ(component.VerticalFrequency(), 4u);
}

TEST(ComponentConfigurationTest, TableChecksNameWhatIsMissing) {
  ImageComponent component;
  Lumarc::QuantizationTable quantization;
  Lumarc::HuffmanTable dc, ac;
  EXPECT_EQ(MessageOf<JpegDecoder::JpegError>([&] { component.CheckQuantizationTable(); }),
            "INTERNAL ERROR - Quantization Table Not Assigned");
  component.SetQuantizationTable(quantization);
  EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { component.CheckQuantizationTable(); }),
            "Quantization Table Not Defined");
  component.SetHuffmanTables(dc, ac);
  EXPECT_EQ(MessageOf<JpegDecoder::JpegError>([&] { component.CheckDcTable(); }),
            "DC Table Not Defined");
  EXPECT_EQ(MessageOf<JpegDecoder::JpegBadStream>([&] { component.CheckAcTable(); }),
            "AC Table Not Defined");
}

// A 100 x 75 frame with 2 x 2 luminance: MCUs of 16 x 16, 7 columns and 5 rows.
TEST(ComponentGridTest, FactorsAndGridFollowTheLargestFrequencies) {
  const FrameGeometry frame{100, 75, 2, 2, 5, 7, false};
  struct Case {
    std::uint32_t h, v, factor, rows, cols, unit_rows, unit_cols;
  };
  for (const Case& c : {Case{2, 2, 1, 10, 13, 10, 14}, Case{1, 1, 2, 5, 7, 5, 7}}) {
    ImageComponent component;
    component.SetHorizontalFrequency(c.h);
    component.SetVerticalFrequency(c.v);
    component.AllocateComponentBuffers(frame);
    EXPECT_EQ(component.HorizontalFactor(), c.factor);
    EXPECT_EQ(component.VerticalFactor(), c.factor);
    EXPECT_EQ(component.NoninterleavedRows(), c.rows);
    EXPECT_EQ(component.NoninterleavedCols(), c.cols);
    EXPECT_EQ(component.DataUnitRows(), c.unit_rows);
    EXPECT_EQ(component.DataUnitCols(), c.unit_cols);
    EXPECT_EQ(component.PlaneRowLength(), 112u);
    EXPECT_EQ(component.CoefficientsAt(0, 0), nullptr) << "sequential images keep none";
    component.FreeComponentBuffers();
    EXPECT_FALSE(component.HasDataUnits());
    EXPECT_EQ(component.DataUnitRows(), 0u);
  }
}

TEST(ComponentGridTest, GridTooLargeForMemoryIsRefusedBeforeAllocating) {
  // 65535 x 65535 with 4 x 4 sampling: 8192 x 8192 blocks, 4.5 GiB of data units alone.
  ImageComponent component;
  component.SetHorizontalFrequency(4);
  component.SetVerticalFrequency(4);
  EXPECT_EQ(
      MessageOf<JpegDecoder::JpegBadStream>([&] {
        component.AllocateComponentBuffers(FrameGeometry{65535, 65535, 4, 4, 2048, 2048, true});
      }),
      "Image Too Large to Decode");
  EXPECT_FALSE(component.HasDataUnits());
}

// One component of 1 x 1 sampling with flat Huffman tables and quantization values of 1.
class ComponentDecodingTest : public testing::Test {
 protected:
  void SetUp() override {
    Bytes flat(16, 0);
    flat[7] = 255;
    for (int symbol = 0; symbol < 255; ++symbol) flat.push_back(static_cast<std::uint8_t>(symbol));
    MemoryInputByteStream dc_stream(flat), ac_stream(flat);
    dc_table_.ReadTable(dc_stream);
    ac_table_.ReadTable(ac_stream);
    const Bytes ones(64, 1);
    MemoryInputByteStream quantization_stream(ones);
    quantization_.ReadTable(quantization_stream, 0);
    component_.SetHorizontalFrequency(1);
    component_.SetVerticalFrequency(1);
    component_.SetQuantizationTable(quantization_);
    component_.SetHuffmanTables(dc_table_, ac_table_);
  }

  void Allocate(std::uint32_t cols, bool progressive, std::uint32_t max_frequency = 1) {
    component_.AllocateComponentBuffers(FrameGeometry{8 * cols * max_frequency, 8 * max_frequency,
                                                      max_frequency, max_frequency, 1, cols,
                                                      progressive});
  }

  // Starts bit reading on the bits written so far followed by the sentinel byte.
  MemoryInputByteStream& Bits(BitWriter& writer) {
    bytes_ = writer.Bits(kSentinel, 8).Finish();
    stream_.emplace(bytes_, bytes_.size() + 1);
    stream_->BeginBitReading();
    return *stream_;
  }

  std::int16_t Coefficient(std::uint32_t col, int zigzag) const {
    return (*component_.CoefficientsAt(0, col))[Lumarc::kZigzagToNatural[zigzag]];
  }

  Lumarc::HuffmanTable dc_table_, ac_table_;
  Lumarc::QuantizationTable quantization_;
  ImageComponent component_;
  Bytes bytes_;
  std::optional<MemoryInputByteStream> stream_;
};

// A DC difference of size 0 repeats the previous DC value; a block whose first AC code is the
// end of block has its DC coefficient only, so it is flat: 80 / 8 + 128.5 gives 138.
TEST_F(ComponentDecodingTest, SequentialBlockWithoutDifferenceKeepsThePrediction) {
  Allocate(2, false);
  BitWriter writer;
  writer.Dc(80).Eob().Dc(0).Eob();
  MemoryInputByteStream& stream = Bits(writer);
  component_.DecodeSequential(stream, 0, 0);
  component_.DecodeSequential(stream, 0, 1);
  EXPECT_EQ(component_.DcPredictor(), 80);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
  for (std::uint32_t col : {0u, 1u}) {
    std::array<std::uint8_t, 64> flat;
    flat.fill(138);
    EXPECT_EQ(component_.DataUnitAt(0, col).samples, flat);
  }
}

TEST_F(ComponentDecodingTest, SequentialZeroRunFromPosition49EndsTheBlock) {
  Allocate(1, false);
  BitWriter writer;
  writer.Dc(0).Zrl().Zrl().Zrl().Zrl();  // k = 1, 17, 33, 49, 65
  MemoryInputByteStream& stream = Bits(writer);
  component_.DecodeSequential(stream, 0, 0);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
}

// End of band with r = 2 and extra bits 3: this block and the next 6 are done (4 + 3 - 1 = 6
// left), and those 6 read no bits and keep their coefficients.
TEST_F(ComponentDecodingTest, AcFirstEndOfBandRunSkipsTheFollowingBlocks) {
  Allocate(8, true);
  BitWriter writer;
  writer.Ac(0, 5).EobRun(2, 3).Ac(1, -3).Eob();
  MemoryInputByteStream& stream = Bits(writer);
  component_.DecodeAcFirst(stream, 0, 0, 1, 63, 2);
  EXPECT_EQ(component_.EobRun(), 6u);
  for (std::uint32_t col = 1; col <= 6; ++col) component_.DecodeAcFirst(stream, 0, col, 1, 63, 2);
  EXPECT_EQ(component_.EobRun(), 0u);
  component_.DecodeAcFirst(stream, 0, 7, 1, 63, 2);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
  EXPECT_EQ(Coefficient(0, 1), 5 << 2);
  for (std::uint32_t col = 1; col <= 6; ++col) {
    for (int k = 0; k < 64; ++k) EXPECT_EQ(Coefficient(col, k), 0);
  }
  EXPECT_EQ(Coefficient(7, 2), -3 * 4);
}

TEST_F(ComponentDecodingTest, DcRefinementSetsBitAlWhenTheBitIsOne) {
  Allocate(2, true);
  BitWriter writer;
  writer.Dc(5).Dc(0).Bits(0b10, 2);
  MemoryInputByteStream& stream = Bits(writer);
  component_.DecodeDcFirst(stream, 0, 0, 1);
  component_.DecodeDcFirst(stream, 0, 1, 1);
  EXPECT_EQ(component_.DcPredictor(), 5) << "the predictor stays unshifted";
  component_.DecodeDcRefine(stream, 0, 0, 0);
  component_.DecodeDcRefine(stream, 0, 1, 0);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
  EXPECT_EQ(Coefficient(0, 0), 11);
  EXPECT_EQ(Coefficient(1, 0), 10);
}

// After a first scan with al = 1 the band 1..5 holds 2 at position 1 and -2 at position 3.
class AcRefinementTest : public ComponentDecodingTest {
 protected:
  void SetUp() override {
    ComponentDecodingTest::SetUp();
    Allocate(1, true);
    BitWriter first;
    first.Ac(0, 1).Ac(1, -1).Eob();
    MemoryInputByteStream& stream = Bits(first);
    component_.DecodeAcFirst(stream, 0, 0, 1, 5, 1);
  }
};

// End of band (r = 0): each non-zero coefficient of the band reads one correction bit, zero
// ones read none, and the run is used up by this block.
TEST_F(AcRefinementTest, EndOfBandRefinesEachNonZeroCoefficientOnce) {
  BitWriter refine;
  refine.Eob().Bits(0b11, 2);
  MemoryInputByteStream& stream = Bits(refine);
  component_.DecodeAcRefine(stream, 0, 0, 1, 5, 0);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
  EXPECT_EQ(component_.EobRun(), 0u);
  EXPECT_EQ(Coefficient(0, 1), 3);
  EXPECT_EQ(Coefficient(0, 3), -3);
  EXPECT_EQ(Coefficient(0, 2), 0);
}

// Run 1, size 1, positive: pass one zero-history coefficient (position 2), refining the
// non-zero ones on the way (positions 1 and 3, bits 0 and 1), and place +1 at position 4.
TEST_F(AcRefinementTest, NewValueLandsAfterItsRunOfZeros) {
  BitWriter refine;
  refine.Symbol(0x11).Bits(1, 1).Bits(0b01, 2).Eob();
  MemoryInputByteStream& stream = Bits(refine);
  component_.DecodeAcRefine(stream, 0, 0, 1, 5, 0);
  EXPECT_EQ(stream.ReadBits(8), kSentinel);
  EXPECT_EQ(Coefficient(0, 1), 2);
  EXPECT_EQ(Coefficient(0, 2), 0);
  EXPECT_EQ(Coefficient(0, 3), -3);
  EXPECT_EQ(Coefficient(0, 4), 1);
  EXPECT_EQ(Coefficient(0, 5), 0);
}

// H = 1 in a frame whose largest frequency is 2: each sample becomes a 2 x 2 square, so plane
// sample (Y, X) is block sample (Y / 2, X / 2).
TEST_F(ComponentDecodingTest, UpsamplingRepeatsEachSampleByTheFactors) {
  Allocate(1, false, 2);
  BitWriter writer;
  writer.Dc(0).Ac(0, 100).Ac(0, -60).Eob();  // horizontal and vertical frequency 1
  MemoryInputByteStream& stream = Bits(writer);
  component_.DecodeSequential(stream, 0, 0);
  component_.Upsample();
  ASSERT_EQ(component_.PlaneRowLength(), 16u);
  ASSERT_EQ(component_.PlaneRows(), 16u);
  const auto& block = component_.DataUnitAt(0, 0).samples;
  EXPECT_NE(block[0], block[7]);
  EXPECT_NE(block[0], block[56]);
  for (std::uint32_t y = 0; y < 16; ++y) {
    for (std::uint32_t x = 0; x < 16; ++x) {
      EXPECT_EQ(component_.UpsampledSamples()[16 * y + x], block[8 * (y / 2) + x / 2]);
    }
  }
}

}  // namespace
}  // namespace lumarc_test
