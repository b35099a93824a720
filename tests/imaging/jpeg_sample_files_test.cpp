// Decodes small files made by an independent encoder and compares the pixels with the
// independent decoder's output for the same file (see tests/data/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"

namespace {

using Lumarc::BitmapImage;
using Lumarc::JpegDecoder;

std::string DataPath(const std::string& name) {
  return std::string(LUMARC_DECODER_TEST_DATA) + "/" + name;
}

// A binary PGM (P5) or PPM (P6) with maximum value 255 and no comments.
struct Pnm {
  int channels = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> samples;  // top row first; RGB for P6
};

Pnm ReadPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max_value = 0;
  Pnm pnm;
  in >> magic >> pnm.width >> pnm.height >> max_value;
  in.get();
  pnm.channels = magic == "P6" ? 3 : 1;
  pnm.samples.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return pnm;
}

// The largest difference of any sample between the bitmap and the reference picture.
int MaxDifference(const BitmapImage& bitmap, const Pnm& reference) {
  int worst = 0;
  for (std::uint32_t y = 0; y < reference.height; ++y) {
    const std::uint8_t* row =
        bitmap.PixelData() + std::size_t{reference.height - 1 - y} * bitmap.BytesPerRow();
    for (std::uint32_t x = 0; x < reference.width; ++x) {
      for (int c = 0; c < reference.channels; ++c) {
        // The bitmap stores blue, green, red; the PPM red, green, blue.
        const int ours = row[x * reference.channels + (reference.channels - 1 - c)];
        const int theirs = reference.samples[(y * reference.width + x) * reference.channels + c];
        worst = std::max(worst, std::abs(ours - theirs));
      }
    }
  }
  return worst;
}

struct SampleFile {
  const char* jpeg;
  const char* reference;
  // The integer transforms differ in their rounding by a level or so; colour conversion can
  // spread that over a few levels.
  int tolerance;
};

void PrintTo(const SampleFile& file, std::ostream* out) {
  *out << file.jpeg;
}

class SampleFileTest : public testing::TestWithParam<SampleFile> {};

TEST_P(SampleFileTest, DecodesCloseToTheIndependentDecoder) {
  const Pnm reference = ReadPnm(DataPath(GetParam().reference));
  ASSERT_EQ(reference.samples.size(),
            std::size_t{reference.width} * reference.height * reference.channels);
  JpegDecoder decoder;
  BitmapImage bitmap;
  decoder.ReadImageFile(DataPath(GetParam().jpeg), bitmap);
  ASSERT_EQ(bitmap.Width(), reference.width);
  ASSERT_EQ(bitmap.Height(), reference.height);
  ASSERT_EQ(bitmap.BitCount(), reference.channels == 3 ? 24u : 8u);
  EXPECT_LE(MaxDifference(bitmap, reference), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SampleFileTest,
    testing::Values(SampleFile{"gray_baseline.jpg", "gray_baseline.pgm", 1},
                    SampleFile{"gray_progressive.jpg", "gray_progressive.pgm", 1},
                    SampleFile{"color_420_baseline.jpg", "color_420_baseline.ppm", 4},
                    SampleFile{"color_422_restart.jpg", "color_422_restart.ppm", 4},
                    SampleFile{"color_420_progressive.jpg", "color_420_progressive.ppm", 4},
                    SampleFile{"color_444_progressive_restart.jpg",
                               "color_444_progressive_restart.ppm", 4}),
    [](const testing::TestParamInfo<SampleFile>& info) {
      std::string name = info.param.jpeg;
      return name.substr(0, name.find('.'));
    });

// Damaged copies of the sample files: every read must end in one of the library's own errors
// or in a picture, never in a crash or another exception (the suite also runs under the
// sanitizers). One decoder reads them all, so no read may leave state that harms the next.
TEST(DamagedFileTest, FailsCleanly) {
  std::vector<std::vector<std::uint8_t>> files;
  for (const char* name : {"gray_baseline.jpg", "gray_progressive.jpg", "color_420_baseline.jpg",
                           "color_422_restart.jpg", "color_420_progressive.jpg",
                           "color_444_progressive_restart.jpg"}) {
    std::ifstream in(DataPath(name), std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_FALSE(files.back().empty()) << name;
  }
  std::mt19937 random(20240);
  JpegDecoder decoder;
  for (int attempt = 0; attempt < 3000; ++attempt) {
    std::vector<std::uint8_t> bytes = files[random() % files.size()];
    for (int change = 1 + random() % 3; change > 0; --change) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<std::uint8_t>(random());
          break;
        case 1:
          bytes[at] ^= static_cast<std::uint8_t>(1 << random() % 8);
          break;
        default:
          bytes.resize(at + 1);
      }
    }
    BitmapImage bitmap;
    Lumarc::MemoryInputByteStream stream(bytes, 1 + random() % 100);
    try {
      ReaderOf(decoder).ReadImage(stream, bitmap);
    } catch (const Lumarc::GraphicsException&) {
    } catch (const Lumarc::InputByteStream::StreamError&) {
    }
  }
}

}  // namespace
