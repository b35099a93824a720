// Decoders on several threads at once: each decodes other pictures, on either decode path, and
// must give what it gives alone; and a decoder with a worker thread gives what one thread gives.
// Run under ThreadSanitizer (the tsan preset) this also proves that no decoder touches state
// another one uses, and that the worker and the reading thread hand rows over safely.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/decode_path.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Lumarc::DecodePath;

struct Outcome {
  std::string error;
  Bytes pixels;
  std::uint64_t transformed_blocks = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome Decode(Lumarc::JpegDecoder& decoder, const Bytes& bytes, Lumarc::BitmapImage& bitmap) {
  Outcome outcome;
  try {
    decoder.ReadImage(bytes, bitmap);
  } catch (const std::exception& error) {
    outcome.error = std::string(typeid(error).name()) + ": " + error.what();
  }
  if (bitmap.PixelData() != nullptr) {
    const std::uint8_t* pixels = bitmap.PixelData();
    outcome.pixels.assign(pixels, pixels + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
  }
  outcome.transformed_blocks = decoder.TransformedBlocks();
  return outcome;
}

Outcome Decode(Lumarc::JpegDecoder& decoder, const Bytes& bytes) {
  Lumarc::BitmapImage bitmap;
  return Decode(decoder, bytes, bitmap);
}

// Baseline, progressive, restart intervals, grey and colour, and a copy cut short inside its
// entropy-coded data, so that the failure path runs concurrently too.
Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_FALSE(bytes.empty()) << path;
  return bytes;
}

std::vector<Bytes> Pictures() {
  const std::filesystem::path data = LUMARC_DECODER_TEST_DATA;
  std::vector<Bytes> pictures;
  for (const char* name :
       {"color_420_baseline.jpg", "color_420_progressive.jpg", "color_422_restart.jpg",
        "color_444_progressive_restart.jpg", "gray_baseline.jpg", "gray_progressive.jpg"}) {
    pictures.push_back(ReadFile(data / name));
  }
  Bytes cut = pictures[0];
  cut.resize(cut.size() * 4 / 5);
  pictures.push_back(cut);
  return pictures;
}

TEST(ConcurrentDecodingTest, ThreadsGiveTheirSingleThreadedResults) {
  const std::vector<Bytes> pictures = Pictures();
  constexpr DecodePath kPaths[] = {DecodePath::kFast, DecodePath::kReference};
  std::vector<Outcome> alone;
  for (const Bytes& picture : pictures) {
    Lumarc::JpegDecoder decoder;
    alone.push_back(Decode(decoder, picture));
  }

  // Thread t starts at picture t and path t % 2, and keeps its decoder from one read to the next,
  // so at any moment the threads decode different pictures on different paths.
  constexpr std::size_t kThreads = 4;
  constexpr int kRounds = 3;
  std::vector<std::vector<std::string>> mismatches(kThreads);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Lumarc::JpegDecoder decoder;
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = 0; i < pictures.size(); ++i) {
          const std::size_t picture = (t + i) % pictures.size();
          Lumarc::ReaderOf(decoder).SetDecodePath(kPaths[(t + i + round) % 2]);
          if (!(Decode(decoder, pictures[picture]) == alone[picture])) {
            mismatches[t].push_back("picture " + std::to_string(picture) + ", round " +
                                    std::to_string(round));
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(mismatches[t].empty()) << "thread " << t << ": " << mismatches[t].front();
  }
}

// Every picture whole, cut inside and at the end of its entropy-coded data (the worker has rows
// in hand when the read fails), and with bytes damaged; one decoder with its worker reads them
// all in turn, a reused bitmap included.
TEST(ConcurrentDecodingTest, AWorkerThreadGivesTheSingleThreadedResults) {
  std::vector<Bytes> variants;
  std::vector<bool> whole;
  for (const Bytes& picture : Pictures()) {
    whole.resize(variants.size());
    whole.push_back(true);
    variants.push_back(picture);
    for (const std::size_t eighths : {3, 5, 7}) {
      variants.emplace_back(picture.begin(), picture.begin() + picture.size() * eighths / 8);
    }
    for (const std::size_t at : {picture.size() / 3, picture.size() / 2, picture.size() - 40}) {
      Bytes damaged = picture;
      damaged[at] ^= 0x5A;
      variants.push_back(damaged);
    }
  }
  whole.resize(variants.size());
  Lumarc::JpegDecoder one_thread;
  Lumarc::JpegDecoder with_worker;
  with_worker.SetThreads(2);
  Lumarc::ReaderOf(with_worker).SetWorkerMinimumPixels(0);  // the test pictures are small
  Lumarc::BitmapImage reused;
  for (std::size_t i = 0; i < variants.size(); ++i) {
    SCOPED_TRACE("variant " + std::to_string(i));
    const Outcome expected = Decode(one_thread, variants[i]);
    EXPECT_TRUE(Decode(with_worker, variants[i]) == expected);
    EXPECT_TRUE(Decode(with_worker, variants[i], reused) == expected);
    // A failed read ahead gives way to scan after scan, which would hide the worker's faults.
    const Lumarc::JpegReader& reader = Lumarc::ReaderOf(with_worker);
    if (whole[i] && reader.Progressive()) {
      EXPECT_TRUE(reader.ScansWereReadAhead());
    }
  }
}

// Pictures of many more MCU rows than the worker is ever behind by, so that the two threads
// decode scans of the same components at the same time; whole, cut short, and damaged.
TEST(ConcurrentDecodingTest, ProgressiveScansSplitBetweenTheThreadsGiveTheSingleThreadedResults) {
  const std::filesystem::path disc = LUMARC_DISC_PICTURES;
  Lumarc::JpegDecoder one_thread;
  Lumarc::JpegDecoder with_worker;
  with_worker.SetThreads(2);
  Lumarc::ReaderOf(with_worker).SetWorkerMinimumPixels(0);
  for (const char* name : {"2.dat", "4l.dat"}) {
    SCOPED_TRACE(name);
    const Bytes picture = ReadFile(disc / name);
    Bytes cut(picture.begin(), picture.begin() + picture.size() * 7 / 8);
    Bytes damaged = picture;
    damaged[picture.size() * 3 / 4] ^= 0x5A;
    EXPECT_TRUE(Decode(with_worker, picture) == Decode(one_thread, picture));
    EXPECT_TRUE(Lumarc::ReaderOf(with_worker).ScansWereReadAhead());
    EXPECT_TRUE(Decode(with_worker, cut) == Decode(one_thread, cut));
    EXPECT_TRUE(Decode(with_worker, damaged) == Decode(one_thread, damaged));
  }
}

}  // namespace
