// The sample disc in the repository: what the menu finds on it must pass the menu's checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "picture_checksum.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDisc = LUMARC_DISC_DIR;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(DiscPictures, PassTheirCompiledInChecksumsAndDecodeToTheirLayoutSize) {
  // The expected checksums are the ones the menu's page tables carry.
  const struct {
    const char* file;
    std::int32_t checksum;
    std::uint32_t width;
    std::uint32_t bit_count;
  } pictures[] = {
      {"brivant/1.dat", 27642, 800, 24},  {"brivant/2.dat", 25800, 800, 24},
      {"brivant/3.dat", 30504, 800, 24},  {"brivant/4.dat", 29706, 800, 24},
      {"brivant/5.dat", 26456, 800, 24},  {"brivant/1l.dat", 27788, 640, 24},
      {"brivant/2l.dat", 29816, 640, 24}, {"brivant/3l.dat", 25480, 640, 8},
      {"brivant/4l.dat", 25512, 640, 24}, {"brivant/5l.dat", 27242, 640, 24},
  };
  for (const auto& p : pictures) {
    const std::string path = (kDisc / p.file).string();
    EXPECT_EQ(PictureChecksum::Compute(path), p.checksum) << p.file;

    Lumarc::JpegDecoder decoder;
    Lumarc::BitmapImage image;
    ASSERT_NO_THROW(decoder.ReadImageFile(path, image)) << p.file;
    EXPECT_EQ(image.Width(), p.width) << p.file;
    EXPECT_EQ(image.Height(), p.width * 3 / 4) << p.file;
    EXPECT_EQ(image.BitCount(), p.bit_count) << p.file;
  }
}

TEST(DiscStartupFiles, AreDosTextWithEveryLineEndingInCrLf) {
  for (const char* file : {"config.sys", "autoexec.bat", "brivant.res"}) {
    const std::string text = ReadText(kDisc / file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << file;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      EXPECT_EQ(text[at - 1], '\r') << file << " at byte " << at;
    }
  }
}

}  // namespace
