// The fast decode paths against the reference paths, over every JPEG file the project has (the
// test data, the reference corpus, the disc's pictures, the fuzz corpora) and truncated and
// corrupted copies of them: the same bitmap, the same error (type and message), the same stream
// position afterwards and the same number of transformed blocks, at the decoder's own chunk size
// and at a small one that puts chunk boundaries inside the entropy-coded data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <typeinfo>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/decode_path.h"
#include "lumarc/huffman_table.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Lumarc::DecodePath;

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files of a folder whose names end in suffix ("" for all), in a fixed order.
std::vector<std::filesystem::path> FilesIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Everything a read leaves behind that a caller can see.
struct Outcome {
  std::string error;  // exception type and message; empty after a successful read
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bit_count = 0;
  Bytes pixels;
  std::streamoff position = 0;
  std::uint64_t transformed_blocks = 0;

  bool operator==(const Outcome&) const = default;
};

Outcome Decode(const Bytes& bytes, std::size_t chunk_size, DecodePath path) {
  Lumarc::JpegDecoder decoder;
  Lumarc::ReaderOf(decoder).SetDecodePath(path);
  Lumarc::BitmapImage bitmap;
  Lumarc::MemoryInputByteStream stream(bytes, chunk_size);
  Outcome outcome;
  try {
    ReaderOf(decoder).ReadImage(stream, bitmap);
  } catch (const std::exception& error) {
    outcome.error = std::string(typeid(error).name()) + ": " + error.what();
  }
  outcome.width = bitmap.Width();
  outcome.height = bitmap.Height();
  outcome.bit_count = bitmap.BitCount();
  if (bitmap.PixelData() != nullptr) {
    outcome.pixels.assign(bitmap.PixelData(),
                          bitmap.PixelData() + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
  }
  outcome.position = stream.GetPosition();
  outcome.transformed_blocks = decoder.TransformedBlocks();
  return outcome;
}

// The file itself, cut short at spread-out lengths and just before and after a 0xFF, and with
// single bytes replaced (by 0xFF, 0x00, a marker code or flipped bits) at random places.
std::vector<std::pair<std::string, Bytes>> Variants(const Bytes& file, int count,
                                                    std::uint32_t seed) {
  std::vector<std::pair<std::string, Bytes>> variants{{"whole", file}};
  if (file.size() < 4) return variants;
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> position(2, file.size() - 1);
  for (int k = 1; k <= count; ++k) {
    const std::size_t length = file.size() * static_cast<std::size_t>(k) / (count + 1);
    variants.emplace_back("cut at " + std::to_string(length),
                          Bytes(file.begin(), file.begin() + length));
  }
  const auto marker = std::find(file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2),
                                file.end(), std::uint8_t{0xFF});
  if (marker != file.end()) {
    const auto at = static_cast<std::size_t>(marker - file.begin());
    variants.emplace_back("cut before a 0xFF", Bytes(file.begin(), marker));
    variants.emplace_back("cut after a 0xFF", Bytes(file.begin(), marker + 1));
    variants.emplace_back("cut after 0xFF 0x00",
                          Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(at + 2, file.size()))));
  }
  const std::uint8_t replacements[] = {0xFF, 0x00, 0xD0, 0xD9};
  for (int k = 0; k < count; ++k) {
    Bytes damaged = file;
    const std::size_t at = position(random);
    damaged[at] = k % 5 == 4 ? static_cast<std::uint8_t>(damaged[at] ^ 0x24) : replacements[k % 4];
    variants.emplace_back("byte " + std::to_string(at) + " set to " + std::to_string(damaged[at]),
                          std::move(damaged));
  }
  return variants;
}

#ifdef LUMARC_INSTRUMENTED_BUILD
constexpr int kVariantDivisor = 3;
#else
constexpr int kVariantDivisor = 1;
#endif

// Compares the paths on every variant of every file; small files also at a chunk size of 7.
void ExpectPathsAgree(const std::vector<std::filesystem::path>& files, int variant_count) {
  ASSERT_FALSE(files.empty());
  std::uint32_t seed = 1;
  for (const auto& path : files) {
    const Bytes file = ReadFile(path);
    const int count = (file.size() > 32768 ? variant_count / 2 : variant_count) / kVariantDivisor;
    for (const auto& [name, bytes] : Variants(file, count, seed++)) {
      for (const std::size_t chunk : {std::size_t{4096}, std::size_t{7}}) {
        if (chunk == 7 && file.size() > 32768) continue;
        SCOPED_TRACE(path.filename().string() + ", " + name + ", chunks of " +
                     std::to_string(chunk));
        const Outcome fast = Decode(bytes, chunk, DecodePath::kFast);
        const Outcome reference = Decode(bytes, chunk, DecodePath::kReference);
        EXPECT_EQ(fast.error, reference.error);
        EXPECT_EQ(fast.position, reference.position);
        EXPECT_EQ(fast.transformed_blocks, reference.transformed_blocks);
        EXPECT_TRUE(fast == reference) << "the bitmaps differ";
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

const std::string kSourceDir = LUMARC_SOURCE_DIR;

TEST(DecodePathDifferentialTest, TestData) {
  ExpectPathsAgree(FilesIn(kSourceDir + "/tests/data", ".jpg"), 12);
}

TEST(DecodePathDifferentialTest, ReferenceCorpus) {
  ExpectPathsAgree(FilesIn(LUMARC_CORPUS_DIR, ".jpg"), 6);
}

TEST(DecodePathDifferentialTest, DiscPictures) {
  ExpectPathsAgree(FilesIn(kSourceDir + "/disc/brivant", ".dat"), 6);
}

TEST(DecodePathDifferentialTest, DecodeFuzzCorpusAndSlowInputs) {
  std::vector<std::filesystem::path> files = FilesIn(kSourceDir + "/fuzz/corpus/decode", "");
  for (const auto& path : FilesIn(kSourceDir + "/fuzz/slow-inputs", "")) files.push_back(path);
  ExpectPathsAgree(files, 12);
}

// A read-ahead decode that fails gives way to one scan after scan, which hides its fault from
// the comparisons above: whole, valid progressive files must not need that.
TEST(DecodePathDifferentialTest, ValidProgressiveFilesAreReadAheadWithoutFallingBack) {
  std::vector<std::filesystem::path> files = FilesIn(kSourceDir + "/tests/data", ".jpg");
  if (!std::string(LUMARC_CORPUS_DIR).empty()) {  // the Windows build has no corpus
    for (const auto& path : FilesIn(LUMARC_CORPUS_DIR, ".jpg")) files.push_back(path);
  }
  int progressive_files = 0;
  for (const auto& path : files) {
    const Outcome expected = Decode(ReadFile(path), 4096, DecodePath::kReference);
    if (!expected.error.empty()) continue;
    // From memory in chunks of two sizes, and from the file itself.
    for (const std::size_t chunk : {std::size_t{4096}, std::size_t{7}, std::size_t{0}}) {
      SCOPED_TRACE(path.filename().string() +
                   (chunk == 0 ? ", from the file" : ", chunks of " + std::to_string(chunk)));
      Lumarc::JpegDecoder decoder;
      Lumarc::BitmapImage bitmap;
      const Bytes bytes = ReadFile(path);
      if (chunk == 0) {
        decoder.ReadImageFile(path.string(), bitmap);
      } else {
        Lumarc::MemoryInputByteStream stream(bytes, chunk);
        ReaderOf(decoder).ReadImage(stream, bitmap);
      }
      if (!ReaderOf(decoder).Progressive()) break;
      progressive_files += chunk == 0 ? 1 : 0;
      EXPECT_TRUE(ReaderOf(decoder).ScansWereReadAhead());
      EXPECT_TRUE(std::equal(expected.pixels.begin(), expected.pixels.end(), bitmap.PixelData()));
    }
  }
  EXPECT_GT(progressive_files, 0);
}

// A source that cannot give a second stream over itself, as the stream base class cannot.
class SourceReadOnlyOnce : public Lumarc::MemoryInputByteStream {
 public:
  explicit SourceReadOnlyOnce(std::span<const std::uint8_t> bytes) : MemoryInputByteStream(bytes) {}
  std::unique_ptr<InputByteStream> OpenAnother() const override { return nullptr; }
  bool CanOpenAnother() const override { return false; }
};

TEST(DecodePathDifferentialTest, ASourceThatCannotOpenAnotherStreamIsReadScanAfterScan) {
  const Bytes bytes = ReadFile(kSourceDir + "/tests/data/color_420_progressive.jpg");
  const Outcome expected = Decode(bytes, 4096, DecodePath::kReference);
  ASSERT_TRUE(expected.error.empty());
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage bitmap;
  SourceReadOnlyOnce stream(bytes);
  ReaderOf(decoder).ReadImage(stream, bitmap);
  EXPECT_FALSE(ReaderOf(decoder).ScansWereReadAhead());
  EXPECT_TRUE(std::equal(expected.pixels.begin(), expected.pixels.end(), bitmap.PixelData()));
}

// What a run of Decode and ReadBits over a stream gives, as the Huffman fuzzer drives them: the
// values, the error that ends the run and where the stream stands then.
struct HuffmanRun {
  std::vector<std::uint32_t> values;
  std::string error;
  std::streamoff position = 0;

  bool operator==(const HuffmanRun&) const = default;
};

HuffmanRun RunHuffman(const Bytes& input, DecodePath path) {
  const bool fast = path == DecodePath::kFast;
  const std::size_t chunk = (input[0] & 0x0F) == 0 ? 4096 : input[0] & 0x0F;
  Lumarc::MemoryInputByteStream stream(std::span<const std::uint8_t>(input).subspan(1), chunk);
  Lumarc::HuffmanTable table;
  HuffmanRun run;
  try {
    table.ReadTable(stream);
    stream.BeginBitReading();
    for (;;) {
      const std::uint8_t value = fast ? table.Decode(stream) : table.DecodeExact(stream);
      run.values.push_back(value);
      if ((input[0] & 0x10) != 0) {
        const std::uint32_t count = value & 0x0F;
        run.values.push_back(fast ? stream.ReadBits(count) : stream.ReadBitsExact(count));
      }
    }
  } catch (const std::exception& error) {
    run.error = std::string(typeid(error).name()) + ": " + error.what();
  }
  run.position = stream.GetPosition();
  return run;
}

// Tables with lengths the lookahead table cannot hold (up to 16 bits), oversubscribed counts and
// no codes at all, over random data with 0xFF bytes, stuffed and not.
Bytes RandomHuffmanInput(std::mt19937& random) {
  Bytes input{static_cast<std::uint8_t>(random() & 0x1F)};
  std::uint32_t total = 0;
  for (int length = 1; length <= 16; ++length) {
    const std::uint32_t count = random() % 4 == 0 ? random() % (1u << std::min(length, 5)) : 0;
    input.push_back(static_cast<std::uint8_t>(count));
    total += count;
  }
  if (total > 256) input[16] = 0;
  for (std::uint32_t i = 0; i < std::min(total, 256u); ++i) input.push_back(random() & 0xFF);
  const std::size_t data = 64 + random() % 512;
  for (std::size_t i = 0; i < data; ++i) {
    const std::uint32_t pick = random() % 64;
    input.push_back(pick == 0 ? 0xFF : static_cast<std::uint8_t>(random() & 0xFF));
    if (pick == 0 && random() % 8 != 0) input.push_back(0x00);
  }
  return input;
}

TEST(DecodePathDifferentialTest, HuffmanDecoding) {
  std::vector<Bytes> inputs;
  for (const auto& path : FilesIn(kSourceDir + "/fuzz/corpus/huffman", "")) {
    inputs.push_back(ReadFile(path));
  }
  std::mt19937 random(2026);
  for (int i = 0; i < 300; ++i) inputs.push_back(RandomHuffmanInput(random));
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (inputs[i].empty()) continue;
    SCOPED_TRACE("input " + std::to_string(i));
    EXPECT_EQ(RunHuffman(inputs[i], DecodePath::kFast),
              RunHuffman(inputs[i], DecodePath::kReference));
  }
}

}  // namespace
