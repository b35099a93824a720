#include "picture_checksum.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using PictureChecksum::SampleOffset;

constexpr long kLastSampleOffset = SampleOffset(PictureChecksum::kSampleCount - 1);

class PictureChecksumTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("picture_checksum_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::vector<unsigned char>& bytes) {
    const fs::path path = dir_ / "picture.dat";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  fs::path dir_;
};

// A file of `size` bytes of `fill`, with `sample` at every sampled offset inside it.
std::vector<unsigned char> SampledFile(long size, unsigned char fill, unsigned char sample) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size), fill);
  for (int k = 0; k < PictureChecksum::kSampleCount; ++k) {
    if (SampleOffset(k) < size) bytes[static_cast<std::size_t>(SampleOffset(k))] = sample;
  }
  return bytes;
}

TEST_F(PictureChecksumTest, SumsTwiceEachSampledByteAndMinusOnePerSamplePastTheEnd) {
  struct Case {
    const char* what;
    long size;
    unsigned char fill;
    unsigned char sample;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"empty file: every sample past the end", 0, 0, 0, -200},
      {"exactly 8192 bytes: every sample past the end", 8192, 0x55, 0, -200},
      {"only the first sample inside", 8193, 0, 7, 14 - 198},
      {"all but the last sample inside", kLastSampleOffset, 0, 1, 198 - 2},
      {"ones at the samples, zeros elsewhere", kLastSampleOffset + 1, 0, 1, 200},
      {"bytes between the samples do not count", kLastSampleOffset + 500, 0xAB, 0, 0},
      {"largest bytes", kLastSampleOffset + 1, 0, 255, 51000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PictureChecksum::Compute(Write(SampledFile(c.size, c.fill, c.sample))), c.expected)
        << c.what;
  }
}

TEST_F(PictureChecksumTest, SampleOffsetsRunFrom8192In101ByteSteps) {
  EXPECT_EQ(SampleOffset(0), 8192);
  EXPECT_EQ(SampleOffset(1), 8293);
  EXPECT_EQ(kLastSampleOffset, 18191);
}

TEST_F(PictureChecksumTest, ReportsAFileThatCannotBeReadAsNoValue) {
  EXPECT_EQ(PictureChecksum::Compute((dir_ / "missing.dat").string()), std::nullopt);
  EXPECT_EQ(PictureChecksum::Compute(dir_.string()), std::nullopt) << "a directory";
}

}  // namespace
