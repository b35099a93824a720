// A read opens its file once: every pass and every scan read ahead goes through that one handle,
// whatever the name comes to stand for during the read, and a source that cannot seek is kept
// in memory for the passes that go back.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "jpeg_stream_builder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/file_input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"

namespace {

using lumarc_test::Bytes;
using lumarc_test::JpegBuilder;
namespace fs = std::filesystem;

const std::string kData = std::string(LUMARC_SOURCE_DIR) + "/tests/data/";

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes PixelsOf(const Lumarc::BitmapImage& bitmap) {
  const std::uint8_t* pixels = bitmap.PixelData();
  return Bytes(pixels, pixels + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
}

Bytes DecodedFromMemory(const Bytes& bytes) {
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage bitmap;
  decoder.ReadImage(bytes, bitmap);
  return PixelsOf(bitmap);
}

class OneSourceTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("lumarc_one_source_" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

// A progressive picture is read ahead, one stream a scan: after the file was opened, another
// file renamed over its name, or a FIFO (whose opening would wait for a writer), must not be seen.
TEST_F(OneSourceTest, WhatIsRenamedOverTheNameDuringTheReadIsNotSeen) {
  const Bytes original = ReadFile(kData + "color_420_progressive.jpg");
  const Bytes expected = DecodedFromMemory(original);
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "a FIFO" : "another picture");
    const fs::path input = dir_ / "input.jpg";
    const fs::path replacement = dir_ / "replacement";
    WriteFile(input, original);
    if (fifo) {
      ASSERT_EQ(mkfifo(replacement.c_str(), 0600), 0);
    } else {
      WriteFile(replacement, ReadFile(kData + "color_444_progressive_restart.jpg"));
    }
    Lumarc::FileInputByteStream stream(4096);
    stream.Open(input.string());
    ASSERT_TRUE(stream.IsUsable());
    fs::rename(replacement, input);
    // Should anything open the FIFO, a writer that comes and goes lets it fail rather than hang.
    std::atomic<bool> read_done{false};
    std::thread writer([&] {
      while (fifo && !read_done) {
        const int fd = open(input.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    Lumarc::JpegDecoder decoder;
    Lumarc::BitmapImage bitmap;
    EXPECT_NO_THROW(Lumarc::ReaderOf(decoder).ReadImage(stream, bitmap));
    read_done = true;
    writer.join();
    EXPECT_TRUE(Lumarc::ReaderOf(decoder).ScansWereReadAhead());
    EXPECT_EQ(PixelsOf(bitmap), expected);
    fs::remove(input);
  }
}

// One grey component coded in two scans: the first is streamed, the second needs the whole grid,
// and the read starts again from the beginning, which a pipe can only give from memory.
TEST_F(OneSourceTest, APipeReadByNameServesASecondPassFromMemory) {
  lumarc_test::BitWriter first;
  lumarc_test::BitWriter second;
  for (int block = 0; block < 2; ++block) {
    first.Dc(block == 0 ? lumarc_test::DcForLevel(60) : 0).Eob();
    second.Dc(block == 0 ? lumarc_test::DcForLevel(200) : 0).Eob();
  }
  const Bytes twice = JpegBuilder()
                          .Header()
                          .Sof(0xC0, 16, 8, {{1, 1, 1, 0}})
                          .Sos({{1, 0, 0}})
                          .Data(first.Finish())
                          .Sos({{1, 0, 0}})
                          .Data(second.Finish())
                          .Eoi()
                          .bytes();
  const Bytes expected = DecodedFromMemory(twice);

  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::thread writer([&] {
    ASSERT_EQ(write(ends[1], twice.data(), twice.size()), static_cast<ssize_t>(twice.size()));
    close(ends[1]);
  });
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage bitmap;
  EXPECT_NO_THROW(decoder.ReadImageFile("/dev/fd/" + std::to_string(ends[0]), bitmap));
  writer.join();
  close(ends[0]);
  EXPECT_EQ(Lumarc::ReaderOf(decoder).Plan().plan, Lumarc::JpegReader::ReadPlan::kWholeGrid);
  EXPECT_EQ(PixelsOf(bitmap), expected);
}

// A pipe is kept in memory only within the decoder's limit.
TEST_F(OneSourceTest, APipeLongerThanTheMemoryLimitIsRefused) {
  signal(SIGPIPE, SIG_IGN);  // the writer outlives the reader
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::thread writer([&] {
    const Bytes zeros(1 << 16, 0);
    for (int i = 0; i < 4; ++i) {
      if (write(ends[1], zeros.data(), zeros.size()) < 0) break;
    }
    close(ends[1]);
  });
  constexpr std::uint64_t kLimit = 1 << 17;
  {
    // Its own handle on the pipe goes with it, before the writer is waited for.
    Lumarc::FileInputByteStream stream(4096);
    stream.Open("/dev/fd/" + std::to_string(ends[0]), kLimit);
    std::uint8_t bytes[4096];
    EXPECT_EQ(stream.ReadBytes(bytes, sizeof bytes), sizeof bytes);
    try {
      stream.SetPosition(Lumarc::InputByteStream::Position(std::streamoff(kLimit + 10)));
      ADD_FAILURE() << "kept more than the limit";
    } catch (const Lumarc::JpegDecoder::JpegError& error) {
      EXPECT_STREQ(error.what(), "Image Too Large for Memory");
    }
  }
  close(ends[0]);
  writer.join();
}

}  // namespace
