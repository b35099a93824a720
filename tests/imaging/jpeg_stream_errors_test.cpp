// Malformed and unsupported streams, each refused with its own message (and, where a stream
// breaks two rules, with the message of the rule checked first), and the oddities of real files
// that must still decode.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "jpeg_stream_builder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"

namespace lumarc_test {
namespace {

using Lumarc::BitmapImage;
using Lumarc::JpegDecoder;

const FrameComponent kGray{1, 1, 1, 0};
const Bytes kFlatBlock = BitWriter().Dc(0).Eob().Finish();

Bytes Concat(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// The start of a valid grey stream up to its frame header.
JpegBuilder GrayFrame(std::uint8_t code = 0xC0) {
  JpegBuilder builder;
  builder.Header().Sof(code, 8, 8, {kGray});
  return builder;
}

// A colour frame of 8 x 8 4:4:4 with identifiers 1, 2, 3 on quantization table 0.
JpegBuilder ColorFrame() {
  JpegBuilder builder;
  builder.Header().Sof(0xC0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
  return builder;
}

// A frame header segment written byte by byte: length, precision, height 8, width 8, count,
// then the component bytes as given.
Bytes RawSof(std::uint16_t length, std::uint8_t precision, std::uint8_t count,
             const Bytes& component_bytes) {
  return Concat({0xFF, 0xC0, static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(length), precision, 0, 8, 0, 8, count},
                component_bytes);
}

Bytes Ones(std::size_t count) {
  return Bytes(count, 1);
}

struct BadStream {
  const char* name;
  std::function<Bytes()> bytes;
  Outcome expected;
  bool strict = false;
};

void PrintTo(const BadStream& stream, std::ostream* out) {
  *out << stream.name;
}

Outcome Bad(const char* message) {
  return {"JpegBadStream", message};
}
Outcome Error(const char* message) {
  return {"JpegError", message};
}

const BadStream kBadStreams[] = {
    // Stream header.
    {"NoSoi",
     [] {
       return Bytes{0x00, 0xD8, 0xFF, 0xE0};
     },
     Bad("Missing SOI Marker")},
    {"EoiFirst",
     [] {
       return Bytes{0xFF, 0xD9, 0xFF, 0xE0};
     },
     Bad("Missing SOI Marker")},
    {"ExifFirst",
     [] {
       return JpegBuilder().Soi().Segment(0xE1, {'E', 'x', 'i', 'f', 0}).bytes();
     },
     Bad("Missing JFIF APP0 Marker")},
    {"CommentFirst",
     [] {
       return JpegBuilder().Soi().Segment(0xFE, {'h', 'i'}).App0().bytes();
     },
     Bad("Missing JFIF APP0 Marker")},
    {"Jfxx",
     [] {
       return JpegBuilder()
           .Soi()
           .Segment(0xE0, {'J', 'F', 'X', 'X', 0, 1, 2, 0, 0, 1, 0, 1, 0, 0})
           .bytes();
     },
     Bad("Not a JFIF file")},
    // Marker level.
    {"EndsAfterFF", [] { return JpegBuilder().Header().Raw({0xFF}).bytes(); },
     Bad("Premature end of file")},
    {"EndsRightAfterASegment", [] { return JpegBuilder().Header().bytes(); },
     Bad("Premature end of file")},
    {"EndsAfterFillBytes",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xFF, 0xFF}).bytes();
     },
     Bad("Premature end of file")},
    {"NoEndOfImage", [] { return JpegBuilder().Soi().App0().bytes(); },
     Bad("End of Image Marker Not Found")},
    {"OneByteAfterHeader", [] { return JpegBuilder().Soi().App0().Raw({0x00}).bytes(); },
     Bad("End of Image Marker Not Found")},
    {"ExtraData",
     [] {
       return FlatGrayStream().Raw({0x41, 0x42}).bytes();
     },
     Bad("Extra Data After End of Image Marker")},
    {"ExtraDataAfterLineEnd",
     [] {
       return FlatGrayStream().Raw({0x0D, 0x41, 0x42}).bytes();
     },
     Bad("Extra Data After End of Image Marker")},
    // Segments.
    {"HuffmanIndex4", [] { return JpegBuilder().Soi().App0().Segment(0xC4, {0x04}).bytes(); },
     Bad("Huffman Table Index outside range [0..3]")},
    {"HuffmanCount257",
     [] {
       Bytes payload{0x00, 0, 0, 0, 0, 0, 0, 0, 255, 2, 0, 0, 0, 0, 0, 0, 0};
       return JpegBuilder().Soi().App0().Segment(0xC4, Concat(payload, Bytes(257, 0))).bytes();
     },
     Bad("Huffman count > 256")},
    {"QuantizationIndex4",
     [] { return JpegBuilder().Soi().App0().Segment(0xDB, Concat({0x04}, Ones(64))).bytes(); },
     Bad("Quantization Table Index Too Large")},
    {"QuantizationPrecision1",
     [] { return JpegBuilder().Soi().App0().Segment(0xDB, Concat({0x10}, Ones(128))).bytes(); },
     Bad("Only 8-bit Data is Supported")},
    {"CommentLength1",
     [] {
       return JpegBuilder().Soi().App0().Raw({0xFF, 0xFE, 0, 1}).bytes();
     },
     Bad("Invalid Segment Length")},
    {"HuffmanLength0",
     [] {
       return JpegBuilder().Soi().App0().Raw({0xFF, 0xC4, 0, 0}).bytes();
     },
     Bad("Invalid Segment Length")},
    // Frame header, in the order of its checks.
    {"Precision12AndTwoComponents",
     [] {
       return JpegBuilder().Header().Raw(RawSof(14, 12, 2, {1, 0x11, 0, 2, 0x11, 0})).bytes();
     },
     Bad("Only 8-bit data supported")},
    {"TwoComponentsAndBadLength",
     [] {
       return JpegBuilder().Header().Raw(RawSof(99, 8, 2, {1, 0x11, 0, 2, 0x11, 0})).bytes();
     },
     Bad("JFIF only supports 1 and 3 component streams")},
    {"FrameLength16ForThreeComponents",
     [] {
       return JpegBuilder()
           .Header()
           .Raw(RawSof(16, 8, 3, {1, 0x11, 4, 2, 0x11, 0, 3, 0x11}))
           .bytes();
     },
     Bad("Invalid Frame Size")},
    {"HorizontalFrequency0",
     [] {
       return JpegBuilder().Header().Raw(RawSof(11, 8, 1, {1, 0x01, 0})).bytes();
     },
     Error("Sampling Frequency Outside the Range 1-4")},
    {"HorizontalFrequency5AndVertical0",
     [] {
       return JpegBuilder().Header().Raw(RawSof(11, 8, 1, {1, 0x50, 0})).bytes();
     },
     Error("Sampling Frequency Outside the Range 1-4")},
    {"VerticalFrequency5",
     [] {
       return JpegBuilder().Header().Raw(RawSof(11, 8, 1, {1, 0x15, 0})).bytes();
     },
     Error("Vertical Sampling Frequency Outside the Range 1-4")},
    {"QuantizationSelector4",
     [] {
       return JpegBuilder().Header().Raw(RawSof(11, 8, 1, {1, 0x11, 4})).bytes();
     },
     Bad("Bad Quantization Table Index")},
    {"ComponentId255",
     [] {
       return JpegBuilder().Header().Raw(RawSof(11, 8, 1, {255, 0x11, 0})).bytes();
     },
     Bad("Component ID 255 not supported")},
    {"ComponentIdRepeated",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {1, 1, 1, 0}})
           .bytes();
     },
     Bad("Duplicate Component ID")},
    {"SamplingRatioOneAndAHalf",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{1, 3, 1, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}})
           .bytes();
     },
     Bad("Sampling Factor Ratio Not a Whole Number")},
    {"VerticalRatioFourThirds",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{1, 1, 4, 0}, {2, 1, 3, 0}, {3, 1, 1, 0}})
           .bytes();
     },
     Bad("Sampling Factor Ratio Not a Whole Number")},
    {"HugeFrame",
     [] { return JpegBuilder().Header().Sof(0xC0, 65535, 65535, {kGray}).Eoi().bytes(); },
     Bad("Image Too Large to Decode")},
    {"HugeColourFrame",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC2, 65535, 65535, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
           .Eoi()
           .bytes();
     },
     Bad("Image Too Large to Decode")},
    {"FrameAfterScan",
     [] {
       return GrayFrame().Sos({{1, 0, 0}}).Data(kFlatBlock).Sof(0xC0, 16, 16, {kGray}).bytes();
     },
     Bad("Frame header found after a scan")},
    {"StrictGreyId0",
     [] {
       return JpegBuilder().Header().Sof(0xC0, 8, 8, {{0, 1, 1, 0}}).bytes();
     },
     Bad("Component ID not 1"), true},
    {"StrictIdsOutOfOrder",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{1, 1, 1, 0}, {3, 1, 1, 0}, {2, 1, 1, 0}})
           .bytes();
     },
     Bad("Invalid Component ID or ID out of order"), true},
    // Coding processes and markers that are refused.
    {"Sof3",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xC3}).bytes();
     },
     Bad("Lossless Huffman Coding Not Supported")},
    {"Sof5",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xC5}).bytes();
     },
     Bad("Differential Sequential Huffman Coding Not Supported")},
    {"Sof6",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xC6}).bytes();
     },
     Bad("Differential Progressive Huffman Coding Not Supported")},
    {"Sof7",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xC7}).bytes();
     },
     Bad("Differential Lossless Huffman Coding Not Supported")},
    {"Sof9",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xC9}).bytes();
     },
     Bad("Cannot read image - Arithmetic Coding covered by patents")},
    {"Sof15",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xCF}).bytes();
     },
     Bad("Cannot read image - Arithmetic Coding covered by patents")},
    {"Dhp",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xDE}).bytes();
     },
     Bad("DHP marker not supported")},
    {"StuffedZeroAtMarkerLevel",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0x00}).bytes();
     },
     Bad("Unknown, unsupported, or reserved marker encountered")},
    {"RestartOutsideScan",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xD0}).bytes();
     },
     Bad("Unknown, unsupported, or reserved marker encountered")},
    {"Dac",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xCC}).bytes();
     },
     Bad("Unknown, unsupported, or reserved marker encountered")},
    {"Dnl",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xDC}).bytes();
     },
     Bad("Unknown, unsupported, or reserved marker encountered")},
    {"Jpg13",
     [] {
       return JpegBuilder().Header().Raw({0xFF, 0xFD}).bytes();
     },
     Bad("Unknown, unsupported, or reserved marker encountered")},
    // Scan header, in the order of its checks.
    {"ScanBeforeFrame",
     [] {
       return JpegBuilder().Header().Sos({{1, 0, 0}}).bytes();
     },
     Bad("Scan found before frame defined")},
    {"ScanBeforeFrameWithNoComponents", [] { return JpegBuilder().Header().Sos({}).bytes(); },
     Bad("Scan found before frame defined")},
    {"ScanWithNoComponents", [] { return GrayFrame().Sos({}).bytes(); },
     Bad("Invalid component count in scan")},
    {"ScanWithFourComponents",
     [] {
       return ColorFrame().Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {1, 0, 0}}).bytes();
     },
     Bad("Invalid component count in scan")},
    {"ScanComponentNotInFrame",
     [] {
       return GrayFrame().Sos({{2, 0, 0}}).bytes();
     },
     Bad("Component Not Defined")},
    {"ScanComponent255",
     [] {
       return GrayFrame().Sos({{255, 0, 0}}).bytes();
     },
     Bad("Component Not Defined")},
    {"DcSelector4",
     [] {
       return GrayFrame().Sos({{1, 4, 0}}).bytes();
     },
     Bad("Huffman Table Selector outside range [0..3]")},
    {"AcSelector15",
     [] {
       return GrayFrame().Sos({{1, 0, 15}}).bytes();
     },
     Bad("Huffman Table Selector outside range [0..3]")},
    {"QuantizationAndDcTableUndefined",
     [] {
       return JpegBuilder().Header().Sof(0xC0, 8, 8, {{1, 1, 1, 2}}).Sos({{1, 1, 0}}).bytes();
     },
     Bad("Quantization Table Not Defined")},
    {"DcAndAcTableUndefined",
     [] {
       return GrayFrame().Sos({{1, 1, 1}}).bytes();
     },
     Error("DC Table Not Defined")},
    {"AcTableUndefined",
     [] {
       return GrayFrame().Sos({{1, 0, 2}}).bytes();
     },
     Bad("AC Table Not Defined")},
    {"ProgressiveAcScanAcTableUndefined",
     [] {
       return GrayFrame(0xC2).Sos({{1, 0, 3}}, 1, 63).bytes();
     },
     Bad("AC Table Not Defined")},
    {"ProgressiveDcScanWithAcBand",
     [] {
       return GrayFrame(0xC2).Sos({{1, 0, 0}}, 0, 63).Data(kFlatBlock).Eoi().bytes();
     },
     Bad("Progressive scan contains DC and AC data")},
    // Entropy-coded data.
    {"AcRunToPosition64",
     [] {
       BitWriter data;
       data.Dc(0).Zrl().Zrl().Zrl().Ac(15, 1);  // k = 49, then 15 zeros: position 64
       return GrayFrame().Sos({{1, 0, 0}}).Data(data.Finish()).Eoi().bytes();
     },
     Bad("Coefficient Index out of Range")},
    {"ProgressiveAcRunToPosition64",
     [] {
       BitWriter data;
       data.Ac(15, 1).Ac(15, 1).Ac(15, 1).Ac(15, 1);  // values at 16, 32, 48, then 64
       return GrayFrame(0xC2).Sos({{1, 0, 0}}, 1, 63).Data(data.Finish()).Eoi().bytes();
     },
     Bad("Data out of range")},
    {"RefinementRunPastBand",
     [] {
       BitWriter data;
       data.Symbol(0x11).Bits(1, 1);  // one zero to pass, but the band is position 1 only
       return GrayFrame(0xC2).Sos({{1, 0, 0}}, 1, 1, 1, 0).Data(data.Finish()).Eoi().bytes();
     },
     Bad("Error in progressive scan")},
    {"RefinementValueOfSize2",
     [] {
       return GrayFrame(0xC2)
           .Sos({{1, 0, 0}}, 1, 63, 1, 0)
           .Data(BitWriter().Symbol(0x02).Finish())
           .Eoi()
           .bytes();
     },
     Bad("Invalid value in input stream")},
    {"DcSize17",
     [] {
       return GrayFrame().Sos({{1, 0, 0}}).Data(BitWriter().Symbol(17).Finish()).Eoi().bytes();
     },
     Bad("DC Difference Size out of Range")},
    {"NoSuchHuffmanCode",
     [] {
       return GrayFrame().Sos({{1, 0, 0}}).Data({0xFF, 0x00, 0xFF, 0x00}).Eoi().bytes();
     },
     Bad("Bad Huffman Code Length")},
    {"HuffmanTableWithoutCodes",
     [] {
       return JpegBuilder()
           .Header()
           .Segment(0xC4, Concat({0x00}, Bytes(16, 0)))
           .Sof(0xC0, 8, 8, {kGray})
           .Sos({{1, 0, 0}})
           .Data({0x12, 0x34})
           .Eoi()
           .bytes();
     },
     Bad("Bad Huffman Code Length")},
    {"MarkerInsideEntropyCodedData",
     [] {
       return GrayFrame().Sos({{1, 0, 0}}).Data({0x05}).Eoi().bytes();
     },
     {"StreamError", "Invalid Marker in Compressed Stream"}},
    {"EndInsideEntropyCodedData",
     [] {
       return GrayFrame().Sos({{1, 0, 0}}).Data({0x05}).bytes();
     },
     {"StreamError", "Premature end of file"}},
};

class BadStreamTest : public testing::TestWithParam<BadStream> {};

TEST_P(BadStreamTest, IsRefusedWithItsMessage) {
  JpegDecoder decoder;
  decoder.SetStrictJfif(GetParam().strict);
  BitmapImage bitmap;
  EXPECT_EQ(DecodeOutcome(decoder, GetParam().bytes(), bitmap), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Streams, BadStreamTest, testing::ValuesIn(kBadStreams),
                         [](const testing::TestParamInfo<BadStream>& info) {
                           return std::string(info.param.name);
                         });

TEST(BadStreamTest, HugeFrameLeavesTheBitmapEmpty) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeOutcome(decoder, JpegBuilder().Header().Sof(0xC0, 65535, 65535, {kGray}).Eoi().bytes(),
                bitmap);
  EXPECT_EQ(bitmap.Width(), 0u);
  EXPECT_EQ(bitmap.PixelData(), nullptr);
}

// A slot keeps its sampling factors from an earlier image, but a scan may only name the
// components of its own frame.
TEST(BadStreamTest, ScanCannotNameAComponentOfAnEarlierImage) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  BitWriter color;
  for (int i = 0; i < 3; ++i) color.Dc(0).Eob();
  DecodeBytes(
      decoder,
      ColorFrame().Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}).Data(color.Finish()).Eoi().bytes(),
      bitmap);
  EXPECT_EQ(DecodeOutcome(decoder,
                          JpegBuilder()
                              .Header()
                              .Sof(0xC0, 64, 64, {kGray})
                              .Sos({{2, 0, 0}})
                              .Data(kFlatBlock)
                              .Eoi()
                              .bytes(),
                          bitmap),
            Bad("Component Not Defined"));
}

// A stream may leave its tables out (an abbreviated stream): a decoder that read them in an
// earlier stream decodes it with those, a new decoder has none to offer.
TEST(BadStreamTest, TablesComeOnlyFromEarlierStreamsOfTheSameDecoder) {
  const Bytes abbreviated = JpegBuilder()
                                .Soi()
                                .App0()
                                .Sof(0xC0, 8, 8, {kGray})
                                .Sos({{1, 0, 0}})
                                .Data(BitWriter().Dc(DcForLevel(200)).Eob().Finish())
                                .Eoi()
                                .bytes();
  BitmapImage bitmap;
  JpegDecoder fresh;
  EXPECT_EQ(DecodeOutcome(fresh, abbreviated, bitmap), Bad("Quantization Table Not Defined"));
  EXPECT_EQ(DecodeOutcome(fresh, JpegBuilder().Soi().App0().Dqt(0).bytes(), bitmap).message,
            "Premature end of file");
  EXPECT_EQ(DecodeOutcome(fresh, abbreviated, bitmap), Error("DC Table Not Defined"));

  JpegDecoder reused;
  DecodeBytes(reused, FlatGrayStream(50).bytes(), bitmap);
  EXPECT_EQ(DecodeOutcome(reused, abbreviated, bitmap), (Outcome{"none", ""}));
  EXPECT_EQ(GrayAt(bitmap, 3, 3), 200);
}

// A scan that fails after making the buffers of its first component must not leave them to the
// next image, which has another size.
TEST(BadStreamTest, FailedScanLeavesNoBuffersToTheNextImage) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  EXPECT_EQ(DecodeOutcome(decoder, ColorFrame().Sos({{1, 0, 0}, {2, 0, 1}}).bytes(), bitmap),
            Bad("AC Table Not Defined"));
  BitWriter data;
  for (int i = 0; i < 4 * 4 * 3; ++i) data.Dc(0).Eob();
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC0, 32, 32, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
                  .Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}})
                  .Data(data.Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  EXPECT_EQ(ColorAt(bitmap, 31, 31), (Bgr{128, 128, 128}));
}

// Through the public reads, of a file or of bytes in memory, an input error arrives as JpegError
// with the same message, and the part decoded before the cut is in the bitmap.
TEST(BadStreamTest, TruncatedInputReportsTheInputErrorAsJpegError) {
  BitWriter data;
  data.Dc(DcForLevel(60)).Eob().Dc(0).Eob();
  Bytes bytes =
      JpegBuilder().Header().Sof(0xC0, 16, 8, {kGray}).Sos({{1, 0, 0}}).Data(data.Finish()).bytes();
  bytes.resize(bytes.size() - 1);
  const std::string path = testing::TempDir() + "truncated.jpg";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const struct {
    const char* name;
    std::function<void(JpegDecoder&, BitmapImage&)> read;
  } reads[] = {
      {"file",
       [&](JpegDecoder& decoder, BitmapImage& bitmap) { decoder.ReadImageFile(path, bitmap); }},
      {"memory",
       [&](JpegDecoder& decoder, BitmapImage& bitmap) { decoder.ReadImage(bytes, bitmap); }},
  };
  for (const auto& r : reads) {
    JpegDecoder decoder;
    BitmapImage bitmap;
    try {
      r.read(decoder, bitmap);
      ADD_FAILURE() << r.name << ": no error";
    } catch (const JpegDecoder::JpegBadStream&) {
      ADD_FAILURE() << r.name << ": an input error is no JpegBadStream";
    } catch (const JpegDecoder::JpegError& error) {
      EXPECT_STREQ(error.what(), "Premature end of file") << r.name;
    }
    EXPECT_EQ(GrayAt(bitmap, 0, 0), 60) << r.name;
  }
  std::remove(path.c_str());
}

TEST(BadStreamTest, MissingFileCannotBeOpened) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  try {
    decoder.ReadImageFile(testing::TempDir() + "no such file.jpg", bitmap);
    ADD_FAILURE() << "no error";
  } catch (const JpegDecoder::JpegError& error) {
    EXPECT_STREQ(error.what(), "Can't open input file");
  }
}

TEST(BadStreamTest, TransferOutsideAReadIsMisuse) {
  JpegDecoder decoder;
  try {
    decoder.TransferToBitmap();
    ADD_FAILURE() << "no error";
  } catch (const JpegDecoder::JpegError& error) {
    EXPECT_STREQ(error.what(), "Not reading an image");
  }
}

struct OddStream {
  const char* name;
  std::function<Bytes()> bytes;
};

void PrintTo(const OddStream& stream, std::ostream* out) {
  *out << stream.name;
}

// Each decodes to the flat grey block of level 77.
Bytes Gray77(const std::function<void(JpegBuilder&)>& before_frame, const Bytes& after_eoi = {}) {
  JpegBuilder builder;
  builder.Header();
  before_frame(builder);
  builder.Sof(0xC0, 8, 8, {kGray})
      .Sos({{1, 0, 0}})
      .Data(BitWriter().Dc(DcForLevel(77)).Eob().Finish())
      .Eoi()
      .Raw(after_eoi);
  return builder.bytes();
}

void Nothing(JpegBuilder&) {}

const OddStream kOddStreams[] = {
    {"CrLfAfterEnd",
     [] {
       return Gray77(Nothing, {0x0D, 0x0A});
     }},
    {"OneByteAfterEnd", [] { return Gray77(Nothing, {0x41}); }},
    {"CrLfAndOneByteAfterEnd",
     [] {
       return Gray77(Nothing, {0x0D, 0x0A, 0x0D, 0x41});
     }},
    {"FillBytesBeforeMarkers", [] { return Gray77([](JpegBuilder& b) {
                                      b.Raw({0xFF, 0xFF});
                                    }); }},
    {"ZeroBetweenSegments", [] { return Gray77([](JpegBuilder& b) {
                                   b.Raw({0x00, 0x17});
                                 }); }},
    {"SecondSoi", [] { return Gray77([](JpegBuilder& b) { b.Soi(); }); }},
    {"App1AfterApp0",
     [] { return Gray77([](JpegBuilder& b) {
            b.Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0});
          }); }},
    {"LongCommentWithoutZero",
     [] { return Gray77([](JpegBuilder& b) { b.Segment(0xFE, Bytes(600, 'x')); }); }},
    {"EmptyApp2", [] { return Gray77([](JpegBuilder& b) { b.Segment(0xE2, {}); }); }},
    {"OneByteComment", [] { return Gray77([](JpegBuilder& b) { b.Segment(0xFE, {0xFF}); }); }},
    {"EmptyTableSegments",
     [] { return Gray77([](JpegBuilder& b) { b.Segment(0xDB, {}).Segment(0xC4, {}); }); }},
    {"TwoQuantizationTablesInOneSegment",
     [] {
       return Gray77([](JpegBuilder& b) {
         b.Segment(0xDB, Concat(Concat({0x00}, Ones(64)), Concat({0x01}, Bytes(64, 2))));
       });
     }},
    {"AcTableOfClass2",
     [] {
       return JpegBuilder()
           .Soi()
           .App0()
           .Dqt(0)
           .FlatDht(0, 0)
           .FlatDht(2, 0)
           .Sof(0xC0, 8, 8, {kGray})
           .Sos({{1, 0, 0}})
           .Data(BitWriter().Dc(DcForLevel(77)).Eob().Finish())
           .Eoi()
           .bytes();
     }},
    {"ThumbnailInApp0",
     [] {
       Bytes app0{'J', 'F', 'I', 'F', 7, 1, 2, 0, 0, 1, 0, 1, 1, 1, 0x10, 0x20, 0x30};
       JpegBuilder b;
       b.Soi().Segment(0xE0, app0).Dqt(0).FlatTables().Sof(0xC0, 8, 8, {kGray});
       return b.Sos({{1, 0, 0}}).Data(BitWriter().Dc(DcForLevel(77)).Eob().Finish()).Eoi().bytes();
     }},
    {"Sof1",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC1, 8, 8, {kGray})
           .Sos({{1, 0, 0}})
           .Data(BitWriter().Dc(DcForLevel(77)).Eob().Finish())
           .Eoi()
           .bytes();
     }},
    {"GreyComponentId0",
     [] {
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{0, 1, 1, 0}})
           .Sos({{0, 0, 0}})
           .Data(BitWriter().Dc(DcForLevel(77)).Eob().Finish())
           .Eoi()
           .bytes();
     }},
    {"ZeroRunToPosition65",
     [] {
       BitWriter data;
       data.Dc(DcForLevel(77)).Zrl().Zrl().Zrl().Zrl();  // k = 49, then 16 zeros: k = 65
       return JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {kGray})
           .Sos({{1, 0, 0}})
           .Data(data.Finish())
           .Eoi()
           .bytes();
     }},
    {"ProgressiveAcScanWithoutDcTable",
     [] {
       return JpegBuilder()
           .Soi()
           .App0()
           .Dqt(0)
           .FlatDht(0, 0)
           .FlatDht(1, 3)
           .Sof(0xC2, 8, 8, {kGray})
           .Sos({{1, 0, 0}}, 0, 0)
           .Data(BitWriter().Dc(DcForLevel(77)).Finish())
           .Sos({{1, 2, 3}}, 1, 63)
           .Data(BitWriter().Eob().Finish())
           .Eoi()
           .bytes();
     }},
};

class OddStreamTest : public testing::TestWithParam<OddStream> {};

TEST_P(OddStreamTest, Decodes) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  ASSERT_EQ(DecodeOutcome(decoder, GetParam().bytes(), bitmap), (Outcome{"none", ""}));
  EXPECT_EQ(GrayAt(bitmap, 0, 0), 77);
  EXPECT_EQ(GrayAt(bitmap, 7, 7), 77);
}

INSTANTIATE_TEST_SUITE_P(Streams, OddStreamTest, testing::ValuesIn(kOddStreams),
                         [](const testing::TestParamInfo<OddStream>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace lumarc_test
