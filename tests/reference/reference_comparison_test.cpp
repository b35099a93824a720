// Decodes every file of the reference corpus with our decoder and with libjpeg and compares the
// pictures sample by sample. The two cannot agree exactly: our inverse DCT rotates with 6-bit
// constants (45, 34, 83 for 64 cos(pi/4), 32 / cos(pi/8), 32 / cos(3 pi/8)) where libjpeg's
// accurate integer transform uses 13-bit ones, so busy blocks differ by a few levels. The
// limits below bound that difference per kind of file; a real decoding fault (a wrong
// coefficient, block, row order, table or upsampling) shows up as tens of levels or worse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "corpus_manifest.h"
#include "libjpeg_reference.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "picture_difference.h"

namespace Lumarc::Reference {
namespace {

const std::string kCorpus = LUMARC_CORPUS_DIR;

struct KindLimits {
  const char* kind;
  int max_abs_diff;  // largest difference of any one sample, in levels
  double min_psnr;   // dB over all samples
};

// Measured with libjpeg-turbo 2.1.5 (largest difference / lowest PSNR over the kind's files):
// TODO fill in after measuring.
constexpr KindLimits kLimits[] = {
    {"baseline", 255, 0},    {"quality", 255, 0},           {"optimized", 255, 0},
    {"progressive", 255, 0}, {"progressive_scans", 255, 0}, {"multiscan", 255, 0},
    {"restart", 255, 0},     {"grayscale", 255, 0},         {"sampling", 255, 0},
};

const std::vector<CorpusEntry>& Corpus() {
  static const std::vector<CorpusEntry> entries = ReadCorpusManifest(kCorpus);
  return entries;
}

DibPixels PixelsOf(const BitmapImage& image) {
  return {image.Width(),
          image.Height(),
          image.BitCount() / 8,
          image.BytesPerRow(),
          {image.PixelData(), size_t{image.BytesPerRow()} * image.Height()}};
}

std::string Describe(const SampleMismatch& m) {
  char text[96];
  std::snprintf(text, sizeof text, "first beyond the limit at x=%u y=%u %c: ours %d, libjpeg %d",
                m.x, m.y, m.channel, m.ours, m.theirs);
  return text;
}

void PrintRow(const std::string& file, const PictureDifference& d) {
  char psnr[16];
  std::snprintf(psnr, sizeof psnr, std::isinf(d.psnr) ? "inf" : "%.1f", d.psnr);
  std::printf("  %-44s max %3d  PSNR %5s dB\n", file.c_str(), d.max_abs, psnr);
}

// The shape every decoded picture must have, whatever its samples.
void ExpectShape(const BitmapImage& image, const ReferencePicture& reference) {
  EXPECT_EQ(image.Width(), reference.width);
  EXPECT_EQ(image.Height(), reference.height);
  EXPECT_EQ(image.BitCount(), reference.channels == 1 ? 8u : 24u);
  EXPECT_EQ(image.BytesPerRow(), (reference.width * reference.channels + 3) / 4 * 4);
  if (image.BitCount() == 8) {
    ASSERT_EQ(image.ColorCount(), 256u);
    for (uint32_t i = 0; i < 256; ++i) {
      const PaletteColor& entry = image.PaletteEntry(i);
      ASSERT_TRUE(entry.blue == i && entry.green == i && entry.red == i) << "palette entry " << i;
    }
  }
}

bool SameShape(const BitmapImage& image, const ReferencePicture& reference) {
  return image.Width() == reference.width && image.Height() == reference.height &&
         image.BitCount() == reference.channels * 8 && image.PixelData() != nullptr;
}

void CompareFile(const CorpusEntry& entry, const KindLimits& limits, JpegDecoder& shared) {
  SCOPED_TRACE(entry.file);
  std::string path = kCorpus + "/" + entry.file;
  ReferencePicture reference = DecodeWithLibjpeg(path);

  JpegDecoder decoder;
  BitmapImage image;
  try {
    decoder.ReadImageFile(path, image);
  } catch (const GraphicsException& e) {
    ADD_FAILURE() << "our decoder refused it: " << e.what();
    return;
  }
  ExpectShape(image, reference);
  if (!SameShape(image, reference)) return;

  // Stored rows are bottom-up, the reference's top-down: the comparison maps one onto the
  // other, so a picture upside down fails by a wide margin.
  PictureDifference d = ComparePictures(PixelsOf(image), reference, limits.max_abs_diff);
  PrintRow(entry.file, d);
  EXPECT_LE(d.max_abs, limits.max_abs_diff) << (d.first_beyond ? Describe(*d.first_beyond) : "");
  EXPECT_GE(d.psnr, limits.min_psnr);

  // A decoder keeps its tables and component slots from one read to the next; none of that may
  // leak into the next picture.
  BitmapImage again;
  shared.ReadImageFile(path, again);
  std::vector<uint8_t> first(image.PixelData(), image.PixelData() + PixelsOf(image).bytes.size());
  std::vector<uint8_t> second(again.PixelData(), again.PixelData() + PixelsOf(again).bytes.size());
  EXPECT_TRUE(first == second) << "a decoder used before gives another picture";
}

class ReferenceComparison : public ::testing::TestWithParam<KindLimits> {};

TEST_P(ReferenceComparison, DecodesLikeLibjpeg) {
  const KindLimits& limits = GetParam();
  std::printf("%s files (limits: max %d, PSNR >= %.1f dB)\n", limits.kind, limits.max_abs_diff,
              limits.min_psnr);
  JpegDecoder shared;
  int files = 0;
  for (const CorpusEntry& entry : Corpus()) {
    if (entry.kind != limits.kind) continue;
    ++files;
    CompareFile(entry, limits, shared);
  }
  EXPECT_GT(files, 0) << "the corpus has no file of this kind";
}

INSTANTIATE_TEST_SUITE_P(Corpus, ReferenceComparison, ::testing::ValuesIn(kLimits),
                         [](const auto& info) { return std::string(info.param.kind); });

TEST(ReferenceCorpus, RefusedFilesFailWithTheirOwnMessage) {
  int files = 0;
  for (const CorpusEntry& entry : Corpus()) {
    if (entry.accepted) continue;
    ++files;
    SCOPED_TRACE(entry.file);
    JpegDecoder decoder;
    BitmapImage image;
    try {
      decoder.ReadImageFile(kCorpus + "/" + entry.file, image);
      ADD_FAILURE() << "decoded a file that must be refused";
    } catch (const JpegDecoder::JpegBadStream& e) {
      EXPECT_STREQ(e.what(), entry.message.c_str());
    }
  }
  EXPECT_GT(files, 0);
}

TEST(ReferenceCorpus, EveryAcceptedKindHasLimits) {
  std::set<std::string> known;
  for (const KindLimits& limits : kLimits) known.insert(limits.kind);
  for (const CorpusEntry& entry : Corpus()) {
    if (entry.accepted) {
      EXPECT_TRUE(known.count(entry.kind)) << entry.kind << " has no limits";
    }
  }
}

}  // namespace
}  // namespace Lumarc::Reference
