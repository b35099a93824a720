// The verbose marker listing: a real file against its recorded listing, and the segments and
// failures that file does not show against listings written out here.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "jpeg_stream_builder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"

namespace lumarc_test {
namespace {

using Lumarc::BitmapImage;
using Lumarc::JpegDecoder;

// Captures what the decoder writes to standard output while it lives.
class CapturedOutput {
 public:
  CapturedOutput() : previous_(std::cout.rdbuf(text_.rdbuf())) {}
  ~CapturedOutput() { std::cout.rdbuf(previous_); }
  std::string Text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(TraceTest, GreyBaselineFileListsEverySegment) {
  JpegDecoder decoder;
  decoder.SetVerbose(true);
  BitmapImage bitmap;
  std::string trace;
  {
    CapturedOutput output;
    decoder.ReadImageFile(LUMARC_DECODER_TEST_DATA "/gray_baseline.jpg", bitmap);
    trace = output.Text();
  }
  EXPECT_EQ(trace, ReadText(LUMARC_DECODER_TEST_DATA "/gray_baseline_trace.txt"));
}

// Off by default, and off again once turned off, whichever way it was turned on.
TEST(TraceTest, QuietUnlessVerbose) {
  std::ostringstream caller_stream;
  const struct {
    const char* name;
    void (*configure)(JpegDecoder&, std::ostream&);
  } cases[] = {
      {"default", [](JpegDecoder&, std::ostream&) {}},
      {"verbose turned off",
       [](JpegDecoder& decoder, std::ostream&) {
         decoder.SetVerbose(true);
         decoder.SetVerbose(false);
       }},
      {"trace output removed",
       [](JpegDecoder& decoder, std::ostream& out) {
         decoder.SetTraceOutput(&out);
         decoder.SetTraceOutput(nullptr);
       }},
  };
  for (const auto& c : cases) {
    JpegDecoder decoder;
    c.configure(decoder, caller_stream);
    BitmapImage bitmap;
    CapturedOutput output;
    decoder.ReadImageFile(LUMARC_DECODER_TEST_DATA "/gray_baseline.jpg", bitmap);
    EXPECT_EQ(output.Text(), "") << c.name;
    EXPECT_EQ(caller_stream.str(), "") << c.name;
  }
}

// The listings below go to the caller's stream, and none of it to standard output.
std::string TraceOf(const Bytes& bytes) {
  JpegDecoder decoder;
  std::ostringstream listing;
  decoder.SetTraceOutput(&listing);
  BitmapImage bitmap;
  CapturedOutput output;
  DecodeOutcome(decoder, bytes, bitmap);
  EXPECT_EQ(output.Text(), "");
  return listing.str();
}

const char* const kJfifBlock =
    "{ Start Of Image }\n"
    "{ JFIF APP0 Marker\n"
    "  Length: 16\n"
    "  Version: 1.2\n"
    "  Density Unit:  (??]\n"
    "  X Density: 72\n"
    "  Y Density: 72\n"
    "  Thumbnail Width: 0\n"
    "  Thumbnail Height: 0\n"
    "}\n";

std::string QuantizationValues(int value) {
  std::string text = "  Table Values: ";
  for (int line = 0; line < 8; ++line) {
    text += "\n        ";
    for (int i = 0; i < 8; ++i) text += std::to_string(value) + " ";
  }
  return text + "\n}\n";
}

// Application, comment, two-table DQT and DRI segments, a frame, and a scan that fails its
// table test after its whole heading has been listed.
TEST(TraceTest, ListsSegmentsUpToTheFailingScan) {
  Bytes two_tables{0x00};
  two_tables.insert(two_tables.end(), 64, 1);
  two_tables.push_back(0x01);
  two_tables.insert(two_tables.end(), 64, 2);
  const Bytes bytes = JpegBuilder()
                          .Soi()
                          .App0(3)
                          .Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0})
                          .Segment(0xFE, {'h', 'i'})
                          .Segment(0xDB, two_tables)
                          .Dri(4)
                          .Sof(0xC0, 8, 8, {{1, 1, 1, 0}})
                          .Sos({{1, 0, 1}})
                          .bytes();
  const std::string expected = std::string(kJfifBlock) +
                               "{ APP1 Marker\nLength: 8\nID: Exif\n}\n"
                               "( Comment Marker\nLength: 4\nID: hi\n}\n"
                               "{ Define Quantization Table\n  Length: 132\n"
                               "  Table Index: 0\n  Table Precision: 0\n" +
                               QuantizationValues(1) + "  Table Index: 1\n  Table Precision: 0\n" +
                               QuantizationValues(2) +
                               "{ Define Restart Interval\n  Length:  4\n  Interval: 4\n}\n"
                               "{ Start Of Frame \n  Length: 11\n  Precision: 8\n  Height: 8\n"
                               "  Width: 8\n  Component Count: 1\n"
                               "   Component 1\n   Horizontal Frequency: 1\n"
                               "   Vertical Frequency: 1\n   Quantization Table: 0\n}\n"
                               "{ Start Of Scan \n  Length:  8\n"
                               "  Component ID: 1\n  DC Entropy Table: 0\n  AC Entropy Table: 1\n"
                               " Spectral Selection Start: 0\n Spectral Selection End: 63\n"
                               " Successive Approximation High: 0\n"
                               " Successive Approximation Low: 0\n}\n"
                               "{ Read Plan: whole grid, 1 thread }\n";
  EXPECT_EQ(TraceOf(bytes), expected);
}

TEST(TraceTest, FailingHeadersStopTheirListingWhereTheyFail) {
  // A frame whose length is wrong: the whole heading, then nothing.
  Bytes bad_frame = JpegBuilder().Soi().App0(3).bytes();
  bad_frame.insert(bad_frame.end(), {0xFF, 0xC2, 0, 16, 8, 0, 2, 0, 3, 3, 1, 0x11, 0, 2, 0x11, 0});
  EXPECT_EQ(TraceOf(bad_frame), std::string(kJfifBlock) +
                                    "{ Start Of Frame \n  Length: 16\n  Precision: 8\n"
                                    "  Height: 2\n  Width: 3\n  Component Count: 3\n");
  // A scan whose first component is not in the frame: heading and length only.
  const Bytes bad_scan =
      JpegBuilder().Soi().App0(3).Sof(0xC0, 8, 8, {{1, 1, 1, 0}}).Sos({{7, 0, 0}}).bytes();
  const std::string frame =
      "{ Start Of Frame \n  Length: 11\n  Precision: 8\n  Height: 8\n  Width: 8\n"
      "  Component Count: 1\n   Component 1\n   Horizontal Frequency: 1\n"
      "   Vertical Frequency: 1\n   Quantization Table: 0\n}\n";
  EXPECT_EQ(TraceOf(bad_scan),
            std::string(kJfifBlock) + frame + "{ Start Of Scan \n  Length:  8\n");
}

}  // namespace
}  // namespace lumarc_test
