// Decoding behaviour of JpegDecoder on streams built in code: frame geometry, the order in
// which scans visit data units, colour conversion and upsampling, restart markers, progress
// reports and cancellation, and progressive scans.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "jpeg_stream_builder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"

namespace lumarc_test {
namespace {

using Lumarc::BitmapImage;
using Lumarc::JpegDecoder;

// A baseline stream with the standard header, one frame and one scan of `data`.
Bytes SequentialStream(std::uint16_t width, std::uint16_t height,
                       std::initializer_list<FrameComponent> frame,
                       std::initializer_list<ScanComponent> scan, const Bytes& data) {
  return JpegBuilder().Header().Sof(0xC0, width, height, frame).Sos(scan).Data(data).Eoi().bytes();
}

// Flat blocks of the given levels, in decoding order, as one component's DC differences.
BitWriter& FlatBlocks(BitWriter& writer, const std::vector<int>& levels, int previous = 128) {
  for (int level : levels) {
    writer.Dc(DcForLevel(level) - DcForLevel(previous)).Eob();
    previous = level;
  }
  return writer;
}

TEST(FrameGeometryTest, McuSizeAndCountFollowTheLargestSamplingFactors) {
  struct Case {
    std::uint8_t luma_h, luma_v;
    std::uint32_t mcu_width, mcu_height, mcu_cols, mcu_rows;
  };
  for (const Case& c :
       {Case{2, 2, 16, 16, 7, 5}, Case{2, 1, 16, 8, 7, 10}, Case{1, 1, 8, 8, 13, 10}}) {
    JpegDecoder decoder;
    BitmapImage bitmap;
    DecodeBytes(decoder,
                JpegBuilder()
                    .Header()
                    .Sof(0xC0, 100, 75, {{1, c.luma_h, c.luma_v, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
                    .Eoi()
                    .bytes(),
                bitmap);
    EXPECT_EQ(ReaderOf(decoder).McuWidth(), c.mcu_width);
    EXPECT_EQ(ReaderOf(decoder).McuHeight(), c.mcu_height);
    EXPECT_EQ(ReaderOf(decoder).McuCols(), c.mcu_cols);
    EXPECT_EQ(ReaderOf(decoder).McuRows(), c.mcu_rows);
    // No scan: the bitmap has the frame's size and shape, and nothing written into it.
    EXPECT_EQ(bitmap.Width(), 100u);
    EXPECT_EQ(bitmap.Height(), 75u);
    EXPECT_EQ(bitmap.BitCount(), 24u);
    EXPECT_EQ(bitmap.ColorCount(), 0u);
    EXPECT_EQ(ColorAt(bitmap, 50, 50), (Bgr{0, 0, 0}));
  }
}

TEST(FrameGeometryTest, GreyFrameGetsAGreyRampPalette) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder, FlatGrayStream(77).bytes(), bitmap);
  EXPECT_EQ(bitmap.BitCount(), 8u);
  ASSERT_EQ(bitmap.ColorCount(), 256u);
  for (std::uint32_t i : {0u, 1u, 128u, 255u}) {
    EXPECT_EQ(bitmap.PaletteEntry(i).blue, i);
    EXPECT_EQ(bitmap.PaletteEntry(i).green, i);
    EXPECT_EQ(bitmap.PaletteEntry(i).red, i);
  }
  EXPECT_EQ(GrayAt(bitmap, 0, 0), 77);
  EXPECT_EQ(GrayAt(bitmap, 7, 7), 77);
}

TEST(FrameGeometryTest, ComponentIdentifiersAreSlotsInFrameOrder) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  BitWriter data;
  for (int i = 0; i < 3; ++i) data.Dc(0).Eob();
  DecodeBytes(decoder,
              SequentialStream(8, 8, {{3, 1, 1, 0}, {2, 1, 1, 0}, {1, 1, 1, 0}},
                               {{3, 0, 0}, {2, 0, 0}, {1, 0, 0}}, data.Finish()),
              bitmap);
  EXPECT_EQ(ReaderOf(decoder).ComponentId(0), 3u);
  EXPECT_EQ(ReaderOf(decoder).ComponentId(1), 2u);
  EXPECT_EQ(ReaderOf(decoder).ComponentId(2), 1u);
  EXPECT_EQ(ReaderOf(decoder).Component(3).HorizontalFrequency(), 1u);
  EXPECT_EQ(ColorAt(bitmap, 4, 4), (Bgr{128, 128, 128}));
}

// Each row: Y, Cb, Cr levels of one 8 x 8 4:4:4 picture and the pixel expected.
TEST(ColorConversionTest, ConvertsYCbCrToBlueGreenRed) {
  struct Case {
    int y, cb, cr;
    Bgr expected;
  };
  for (const Case& c : {Case{128, 128, 128, {128, 128, 128}}, Case{100, 200, 50, {228, 131, 0}},
                        Case{255, 128, 128, {255, 255, 255}}, Case{0, 128, 128, {0, 0, 0}},
                        Case{76, 85, 255, {0, 0, 254}}}) {
    BitWriter data;
    data.Dc(DcForLevel(c.y)).Eob().Dc(DcForLevel(c.cb)).Eob().Dc(DcForLevel(c.cr)).Eob();
    JpegDecoder decoder;
    BitmapImage bitmap;
    DecodeBytes(decoder,
                SequentialStream(8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}},
                                 {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, data.Finish()),
                bitmap);
    EXPECT_EQ(ColorAt(bitmap, 3, 5), c.expected) << c.y << " " << c.cb << " " << c.cr;
  }
}

TEST(ScanOrderTest, InterleavedMcuDecodesLuminanceRowByRowThenCbThenCr) {
  BitWriter data;
  FlatBlocks(data, {50, 100, 150, 200});  // Y (0,0), (0,1), (1,0), (1,1)
  FlatBlocks(data, {128});                // Cb
  FlatBlocks(data, {128});                // Cr
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              SequentialStream(16, 16, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}},
                               {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, data.Finish()),
              bitmap);
  EXPECT_EQ(ColorAt(bitmap, 0, 0), (Bgr{50, 50, 50}));
  EXPECT_EQ(ColorAt(bitmap, 15, 0), (Bgr{100, 100, 100}));
  EXPECT_EQ(ColorAt(bitmap, 0, 15), (Bgr{150, 150, 150}));
  EXPECT_EQ(ColorAt(bitmap, 15, 15), (Bgr{200, 200, 200}));
}

// A 17 x 17 picture with 2 x 2 luminance: a non-interleaved chroma scan visits
// ceil(17 / 16) = 2 data units each way, the luminance scan ceil(17 / 8) = 3.
TEST(ScanOrderTest, NonInterleavedScansVisitTheImageAreaOnly) {
  BitWriter luma;
  for (int i = 0; i < 9; ++i) luma.Dc(0).Eob();
  BitWriter cb;
  FlatBlocks(cb, {60, 90, 160, 190});
  BitWriter cr;
  FlatBlocks(cr, {128, 128, 128, 128});
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC0, 17, 17, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
                  .Sos({{1, 0, 0}})
                  .Data(luma.Finish())
                  .Sos({{2, 0, 0}})
                  .Data(cb.Finish())
                  .Sos({{3, 0, 0}})
                  .Data(cr.Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  // Blue is Y + 1.772 (Cb - 128), rounded: 60 gives -120, 90 gives -67, 160 gives 57, 190 110.
  EXPECT_EQ(ColorAt(bitmap, 0, 0).blue, 8);
  EXPECT_EQ(ColorAt(bitmap, 16, 0).blue, 61);
  EXPECT_EQ(ColorAt(bitmap, 0, 16).blue, 185);
  EXPECT_EQ(ColorAt(bitmap, 16, 16).blue, 238);
}

// 4:2:0: one chroma sample covers a 2 x 2 pixel square. Cb carries one horizontal frequency, so
// its samples fall from left to right (145, 142, 138, 131, 125, 118, 114, 111 per row).
TEST(UpsamplingTest, SubsampledChromaCoversTwoByTwoPixelSquares) {
  BitWriter data;
  for (int i = 0; i < 4; ++i) data.Dc(0).Eob();
  data.Dc(0).Ac(0, 100).Eob();
  data.Dc(0).Eob();
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              SequentialStream(16, 16, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}},
                               {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, data.Finish()),
              bitmap);
  EXPECT_EQ(ColorAt(bitmap, 0, 0).blue, 128 + 30);   // Cb 145: 1.772 x 17 = 30.1
  EXPECT_EQ(ColorAt(bitmap, 15, 0).blue, 128 - 30);  // Cb 111
  for (std::uint32_t y = 0; y < 16; y += 2) {
    for (std::uint32_t x = 0; x < 16; x += 2) {
      const Bgr square = ColorAt(bitmap, x, y);
      EXPECT_EQ(ColorAt(bitmap, x + 1, y), square);
      EXPECT_EQ(ColorAt(bitmap, x, y + 1), square);
      EXPECT_EQ(ColorAt(bitmap, x + 1, y + 1), square);
      EXPECT_EQ(square.red, 128);
    }
  }
}

// A partial last MCU: only the image's 10 x 3 pixels are written, the top row last in memory.
TEST(UpsamplingTest, WritesExactlyTheImageAreaBottomUp) {
  BitWriter data;
  FlatBlocks(data, {40, 200});
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder, SequentialStream(10, 3, {{1, 1, 1, 0}}, {{1, 0, 0}}, data.Finish()), bitmap);
  ASSERT_EQ(bitmap.BytesPerRow(), 12u);
  const std::uint8_t* stored = bitmap.PixelData();
  for (std::uint32_t row = 0; row < 3; ++row) {
    EXPECT_EQ(stored[row * 12 + 0], 40);
    EXPECT_EQ(stored[row * 12 + 9], 200);
    EXPECT_EQ(stored[row * 12 + 10], 0) << "pad byte";
  }
}

// Five flat 8 x 8 blocks in a row (40 x 8 grey) with restart interval 2: RST0 before the third
// block, RST1 before the fifth. Each interval starts its DC prediction again from 0.
class RestartTest : public testing::Test {
 protected:
  static constexpr int kLevels[5] = {40, 80, 120, 160, 200};

  static Bytes Stream(const Bytes& first_marker, const Bytes& second_marker,
                      const Bytes& after_last = {}) {
    BitWriter first, second, third;
    FlatBlocks(first, {40, 80});
    FlatBlocks(second, {120, 160});
    FlatBlocks(third, {200});
    return JpegBuilder()
        .Header()
        .Dri(2)
        .Sof(0xC0, 40, 8, {{1, 1, 1, 0}})
        .Sos({{1, 0, 0}})
        .Data(first.Finish())
        .Raw(first_marker)
        .Data(second.Finish())
        .Raw(second_marker)
        .Data(third.Finish())
        .Raw(after_last)
        .Eoi()
        .bytes();
  }
};

TEST_F(RestartTest, MarkersBetweenIntervalsResetThePrediction) {
  for (const Bytes& first : {Bytes{0xFF, 0xD0}, Bytes{0xFF, 0xFF, 0xFF, 0xD0}}) {
    JpegDecoder decoder;
    BitmapImage bitmap;
    DecodeBytes(decoder, Stream(first, {0xFF, 0xD1}), bitmap);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GrayAt(bitmap, 8 * i + 3, 4), kLevels[i]);
  }
}

TEST_F(RestartTest, WrongMarkersAreRefused) {
  struct Case {
    Bytes first, second, after_last;
    const char* message;
  };
  const Case cases[] = {
      {{0xFF, 0xD1}, {0xFF, 0xD1}, {}, "Incorrect Restart Marker"},
      {{0xFF, 0xD0}, {0xFF, 0xD0}, {}, "Incorrect Restart Marker"},
      {{0xFF, 0xD9}, {0xFF, 0xD1}, {}, "Missing Restart Marker"},
      {{0x00, 0xD0}, {0xFF, 0xD1}, {}, "Missing Restart Marker"},
      {{0xFF, 0xD0},
       {0xFF, 0xD1},
       {0xFF, 0xD2},
       "Unknown, unsupported, or reserved marker encountered"},
  };
  for (const Case& c : cases) {
    JpegDecoder decoder;
    BitmapImage bitmap;
    EXPECT_EQ(DecodeOutcome(decoder, Stream(c.first, c.second, c.after_last), bitmap),
              (Outcome{"JpegBadStream", c.message}));
    // What was decoded before the error still reaches the bitmap.
    EXPECT_EQ(GrayAt(bitmap, 3, 3), 40);
  }
}

// Progressive scans restart their markers at RST0, and the DC prediction resets at each one.
TEST_F(RestartTest, EveryProgressiveScanStartsAgainAtRst0) {
  BitWriter dc[3], ac[3];
  dc[0].Dc(DcForLevel(40)).Dc(DcForLevel(80) - DcForLevel(40));
  dc[1].Dc(DcForLevel(120)).Dc(DcForLevel(160) - DcForLevel(120));
  dc[2].Dc(DcForLevel(200));
  ac[0].Eob().Eob();
  ac[1].Eob().Eob();
  ac[2].Eob();
  JpegBuilder builder;
  builder.Header().Dri(2).Sof(0xC2, 40, 8, {{1, 1, 1, 0}}).Sos({{1, 0, 0}}, 0, 0);
  builder.Data(dc[0].Finish()).Rst(0).Data(dc[1].Finish()).Rst(1).Data(dc[2].Finish());
  builder.Sos({{1, 0, 0}}, 1, 63);
  builder.Data(ac[0].Finish()).Rst(0).Data(ac[1].Finish()).Rst(1).Data(ac[2].Finish()).Eoi();
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder, builder.bytes(), bitmap);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(GrayAt(bitmap, 8 * i, 7), kLevels[i]);
}

struct ProgressRecord {
  std::vector<std::tuple<int, int, unsigned>> calls;  // current scan, scan total, percent
  unsigned cancel_at = 1000;
};

void RecordProgress(JpegDecoder&, void* data, std::int32_t current_scan, std::int32_t scan_total,
                    std::uint32_t percent, bool& cancel) {
  auto* record = static_cast<ProgressRecord*>(data);
  record->calls.emplace_back(current_scan, scan_total, percent);
  if (percent >= record->cancel_at) cancel = true;
}

// 8 x 24 grey: three rows of one data unit each.
Bytes ThreeRowStream() {
  BitWriter data;
  FlatBlocks(data, {10, 20, 30});
  return SequentialStream(8, 24, {{1, 1, 1, 0}}, {{1, 0, 0}}, data.Finish());
}

TEST(ProgressTest, ReportsEachRowAndTheEndOfEachScan) {
  ProgressRecord record;
  JpegDecoder decoder;
  decoder.SetProgressCallback(RecordProgress, &record);
  BitmapImage bitmap;
  DecodeBytes(decoder, ThreeRowStream(), bitmap);
  using Call = std::tuple<int, int, unsigned>;
  EXPECT_EQ(record.calls, (std::vector<Call>{{1, 1, 0}, {1, 1, 33}, {1, 1, 66}, {1, 1, 100}}));
  EXPECT_FALSE(decoder.WasCancelled());
  EXPECT_EQ(GrayAt(bitmap, 0, 23), 30);
}

TEST(ProgressTest, CountsTheScansAheadAndNumbersThemFromOne) {
  ProgressRecord record;
  JpegDecoder decoder;
  decoder.SetProgressCallback(RecordProgress, &record);
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC2, 8, 8, {{1, 1, 1, 0}})
                  .Sos({{1, 0, 0}}, 0, 0)
                  .Data(BitWriter().Dc(DcForLevel(90)).Finish())
                  .Sos({{1, 0, 0}}, 1, 63)
                  .Data(BitWriter().Eob().Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  using Call = std::tuple<int, int, unsigned>;
  EXPECT_EQ(record.calls, (std::vector<Call>{{1, 2, 0}, {1, 2, 100}, {2, 2, 0}, {2, 2, 100}}));
  EXPECT_EQ(GrayAt(bitmap, 4, 4), 90);
}

TEST(ProgressTest, CancelledReadReturnsAnEmptyBitmapAndSaysSo) {
  ProgressRecord record;
  record.cancel_at = 33;
  JpegDecoder decoder;
  decoder.SetProgressCallback(RecordProgress, &record);
  BitmapImage bitmap;
  DecodeBytes(decoder, ThreeRowStream(), bitmap);
  EXPECT_TRUE(decoder.WasCancelled());
  EXPECT_EQ(bitmap.Width(), 0u);
  EXPECT_EQ(bitmap.PixelData(), nullptr);
  EXPECT_EQ(record.calls.size(), 2u);

  // The decoder is fit for the next read, which is not cancelled.
  record.cancel_at = 1000;
  DecodeBytes(decoder, ThreeRowStream(), bitmap);
  EXPECT_FALSE(decoder.WasCancelled());
  EXPECT_EQ(GrayAt(bitmap, 0, 0), 10);
}

// With quantization value 8 a DC coefficient D gives samples of 128 + D, so the refinement bit
// of a DC coefficient shows in the picture: D = 9 is sent as 4 << 1 plus a 1 bit, D = -7 as
// -4 << 1 plus a 1 bit, D = 6 as 3 << 1 plus a 0 bit.
TEST(ProgressiveTest, DcRefinementAddsTheLowBit) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Soi()
                  .App0()
                  .Dqt(0, 8)
                  .FlatTables()
                  .Sof(0xC2, 24, 8, {{1, 1, 1, 0}})
                  .Sos({{1, 0, 0}}, 0, 0, 0, 1)
                  .Data(BitWriter().Dc(4).Dc(-8).Dc(7).Finish())
                  .Sos({{1, 0, 0}}, 0, 0, 1, 0)
                  .Data(BitWriter().Bits(0b110, 3).Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  EXPECT_EQ(GrayAt(bitmap, 0, 0), 128 + 9);
  EXPECT_EQ(GrayAt(bitmap, 8, 0), 128 - 7);
  EXPECT_EQ(GrayAt(bitmap, 16, 0), 128 + 6);
}

// The first AC scan ends with a run of 8 blocks though only 2 are left. The run does not carry
// into the next scan, whose blocks both get their coefficient.
TEST(ProgressiveTest, EndOfBandRunEndsWithItsScan) {
  BitWriter band2;
  band2.Ac(0, 40).Eob().Ac(0, 40).Eob();
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC2, 16, 8, {{1, 1, 1, 0}})
                  .Sos({{1, 0, 0}}, 0, 0)
                  .Data(BitWriter().Dc(0).Dc(0).Finish())
                  .Sos({{1, 0, 0}}, 1, 5)
                  .Data(BitWriter().EobRun(3, 0).Finish())
                  .Sos({{1, 0, 0}}, 6, 63)
                  .Data(band2.Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  for (std::uint32_t block = 0; block < 2; ++block) {
    EXPECT_NE(GrayAt(bitmap, 8 * block, 0), GrayAt(bitmap, 8 * block + 7, 7)) << block;
  }
}

// An AC scan is never interleaved: of a header naming two components only the first is decoded,
// so the data holds bands for Y alone.
TEST(ProgressiveTest, AcScanNamingTwoComponentsDecodesTheFirst) {
  BitWriter dc;
  dc.Dc(DcForLevel(100)).Dc(0).Dc(0);
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
                  .Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 0, 0)
                  .Data(dc.Finish())
                  .Sos({{1, 0, 0}, {2, 0, 0}}, 1, 63)
                  .Data(BitWriter().Eob().Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  EXPECT_EQ(ColorAt(bitmap, 0, 0), (Bgr{100, 100, 100}));
}

// A DRI between two scans applies to the second only: the DC scan has no marker, the AC scan
// one between its two blocks.
TEST(ProgressiveTest, RestartIntervalBetweenScansAppliesToTheLaterScan) {
  JpegDecoder decoder;
  BitmapImage bitmap;
  DecodeBytes(decoder,
              JpegBuilder()
                  .Header()
                  .Sof(0xC2, 16, 8, {{1, 1, 1, 0}})
                  .Sos({{1, 0, 0}}, 0, 0)
                  .Data(BitWriter().Dc(DcForLevel(30)).Dc(DcForLevel(60) - DcForLevel(30)).Finish())
                  .Dri(1)
                  .Sos({{1, 0, 0}}, 1, 63)
                  .Data(BitWriter().Eob().Finish())
                  .Rst(0)
                  .Data(BitWriter().Eob().Finish())
                  .Eoi()
                  .bytes(),
              bitmap);
  EXPECT_EQ(ReaderOf(decoder).RestartInterval(), 1u);
  EXPECT_EQ(GrayAt(bitmap, 0, 0), 30);
  EXPECT_EQ(GrayAt(bitmap, 8, 0), 60);
}

}  // namespace
}  // namespace lumarc_test

namespace lumarc_test {
namespace {

// A bitmap read into again at the same byte size keeps its pixel buffer, which is not zero-filled
// first when the decoder will write it: what the new picture does not cover, row padding included,
// must still read 0, exactly as in a fresh bitmap.
TEST(BitmapReuseTest, NothingOfThePreviousPictureSurvives) {
  // 8 x 8 at level 200 fills all 64 bytes; 5 x 8 takes the same 64 bytes with 3 pad bytes a row.
  const Bytes previous = FlatGrayStream(200).bytes();
  JpegBuilder narrow;
  narrow.Header()
      .Sof(0xC0, 5, 8, {{1, 1, 1, 0}})
      .Sos({{1, 0, 0}})
      .Data(BitWriter().Dc(DcForLevel(90)).Eob().Finish())
      .Eoi();
  Bytes no_scan = FlatGrayStream(60).bytes();
  no_scan.resize(no_scan.size() - 12);  // ends inside the scan header
  Bytes cut_scan = FlatGrayStream(60).bytes();
  cut_scan.resize(cut_scan.size() - 3);  // ends inside the entropy-coded data
  for (const Bytes& next : {narrow.bytes(), no_scan, cut_scan}) {
    BitmapImage fresh;
    JpegDecoder fresh_decoder;
    const Outcome expected = DecodeOutcome(fresh_decoder, next, fresh);
    BitmapImage reused;
    JpegDecoder decoder;
    DecodeBytes(decoder, previous, reused);
    EXPECT_EQ(DecodeOutcome(decoder, next, reused), expected);
    ASSERT_EQ(reused.Height(), fresh.Height());
    ASSERT_EQ(reused.BytesPerRow(), fresh.BytesPerRow());
    const std::size_t size = std::size_t{fresh.BytesPerRow()} * fresh.Height();
    EXPECT_EQ(Bytes(reused.PixelData(), reused.PixelData() + size),
              Bytes(fresh.PixelData(), fresh.PixelData() + size));
  }
}

// A sequential image may code a component again in a later scan. No encoder does, but the decoder
// takes it: the later blocks replace the earlier ones, on both paths, also where the fast path
// had already written the first scan's rows into the bitmap; and where the later scan breaks
// off, the blocks before the break are its own and those after it still the first scan's.
// Two flat grey blocks of 50 and 60, then a second scan of `again`.
JpegBuilder GreyCodedTwice(const Bytes& again) {
  BitWriter first;
  FlatBlocks(first, {50, 60});
  return JpegBuilder()
      .Header()
      .Sof(0xC0, 16, 8, {{1, 1, 1, 0}})
      .Sos({{1, 0, 0}})
      .Data(first.Finish())
      .Sos({{1, 0, 0}})
      .Data(again);
}

Bytes FlatBlockBytes(const std::vector<int>& levels) {
  BitWriter writer;
  return FlatBlocks(writer, levels).Finish();
}

TEST(LaterScanTest, ComponentsCodedAgainReplaceTheFirstScan) {
  BitWriter colour_first, colour_again;
  colour_first.Dc(DcForLevel(100)).Eob().Dc(0).Eob().Dc(0).Eob();
  colour_again.Dc(DcForLevel(30)).Eob();
  const Bytes grey_again_bytes = FlatBlockBytes({200, 210});
  const auto grey = GreyCodedTwice;
  struct Case {
    const char* name;
    Bytes stream;
    Outcome outcome;
    std::vector<int> levels;  // of the bitmap's blocks, left to right
  };
  const Case cases[] = {
      {"grey", grey(grey_again_bytes).Eoi().bytes(), {"none", ""}, {200, 210}},
      {"grey, second scan cut after its first block",
       grey(Bytes(grey_again_bytes.begin(), grey_again_bytes.begin() + 4)).bytes(),
       {"StreamError", "Premature end of file"},
       {200, 60}},
      {"colour, luminance again",
       JpegBuilder()
           .Header()
           .Sof(0xC0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
           .Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}})
           .Data(colour_first.Finish())
           .Sos({{1, 0, 0}})
           .Data(colour_again.Finish())
           .Eoi()
           .bytes(),
       {"none", ""},
       {30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> pixels;
    for (const auto path : {Lumarc::DecodePath::kFast, Lumarc::DecodePath::kReference}) {
      JpegDecoder decoder;
      ReaderOf(decoder).SetDecodePath(path);
      BitmapImage bitmap;
      EXPECT_EQ(DecodeOutcome(decoder, c.stream, bitmap), c.outcome);
      for (std::size_t i = 0; i < c.levels.size(); ++i) {
        const std::uint32_t x = 8 * static_cast<std::uint32_t>(i) + 3;
        const int level =
            bitmap.BitCount() == 8 ? GrayAt(bitmap, x, 3) : ColorAt(bitmap, x, 3).green;
        EXPECT_EQ(level, c.levels[i]);
      }
      pixels.emplace_back(bitmap.PixelData(),
                          bitmap.PixelData() + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
    }
    EXPECT_EQ(pixels[0], pixels[1]);
  }
}

// Reading again from the start works on a file as on memory.
TEST(LaterScanTest, AFileIsReadAgainFromItsStart) {
  const Bytes stream = GreyCodedTwice(FlatBlockBytes({200, 210})).Eoi().bytes();
  const std::string path = testing::TempDir() + "coded_twice.jpg";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(stream.data()),
             static_cast<std::streamsize>(stream.size()));
  JpegDecoder decoder;
  BitmapImage bitmap;
  decoder.ReadImageFile(path, bitmap);
  EXPECT_EQ(GrayAt(bitmap, 3, 3), 200);
  EXPECT_EQ(GrayAt(bitmap, 11, 3), 210);
}

}  // namespace
}  // namespace lumarc_test
