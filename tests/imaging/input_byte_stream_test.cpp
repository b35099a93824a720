#include "lumarc/input_byte_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "lumarc/file_input_byte_stream.h"
#include "lumarc/memory_input_byte_stream.h"

#include "exception_message.h"

namespace Lumarc {
namespace {

using Lumarc::test_support::MessageOf;

using Bytes = std::vector<std::uint8_t>;

std::streamoff Offset(InputByteStream& stream) {
  return stream.GetPosition();
}

// Data bytes as entropy-coded data holds them (each 0xFF followed by its stuffed 0x00), and the
// bits they stand for.
struct CodedBits {
  Bytes data;
  std::vector<int> bits;
};

CodedBits Coded(const std::function<std::uint8_t(int)>& byte_at, int count) {
  CodedBits coded;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t byte = byte_at(i);
    coded.data.push_back(byte);
    if (byte == 0xFF) coded.data.push_back(0x00);
    for (int b = 7; b >= 0; --b) coded.bits.push_back(byte >> b & 1);
  }
  return coded;
}

// A stream in bit mode, and a twin over the same bytes that is read bit by bit to show where the
// stream should stand.
struct StreamAndTwin {
  StreamAndTwin(const Bytes& data, std::size_t chunk) : stream(data, chunk), twin(data, chunk) {
    stream.BeginBitReading();
    twin.BeginBitReading();
  }
  MemoryInputByteStream stream;
  MemoryInputByteStream twin;
};

// Chunk sizes that put a boundary after every byte, inside the data, and nowhere.
constexpr std::size_t kChunkSizes[] = {1, 2, 3, 4096};

TEST(InputByteStreamBits, ReadBitHandsOutEachByteMostSignificantBitFirst) {
  const Bytes bytes = {0xA5, 0x0F};
  const int expected[] = {1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 1, 1, 1};
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    MemoryInputByteStream stream(bytes, chunk);
    stream.BeginBitReading();
    for (int bit : expected) EXPECT_EQ(stream.ReadBit(), bit);
  }
}

TEST(InputByteStreamBits, ReadBitsSpansBytesAndZeroBitsConsumeNothing) {
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    const Bytes data = {0xA5, 0x0F};
    MemoryInputByteStream stream(data, chunk);
    stream.BeginBitReading();
    EXPECT_EQ(stream.ReadBits(0), 0u);
    EXPECT_EQ(stream.ReadBits(3), 5u);
    EXPECT_EQ(stream.ReadBits(9), 0x050u);  // 00101 from 0xA5, then 0000 from 0x0F
    EXPECT_EQ(stream.ReadBits(0), 0u);
    EXPECT_EQ(stream.ReadBits(4), 0xFu);
  }
}

TEST(InputByteStreamBits, SixteenBitsFromAFreshByteAndAcrossThree) {
  const Bytes data = {0x12, 0x34, 0x56, 0x78};
  MemoryInputByteStream stream(data, 1);
  stream.BeginBitReading();
  EXPECT_EQ(stream.ReadBits(16), 0x1234u);
  EXPECT_EQ(stream.ReadBits(4), 0x5u);
  EXPECT_EQ(stream.ReadBits(12), 0x678u);
}

TEST(InputByteStreamBits, StuffedZeroAfterFFIsSkipped) {
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    const Bytes data = {0xFF, 0x00, 0x80};
    MemoryInputByteStream stream(data, chunk);
    stream.BeginBitReading();
    EXPECT_EQ(stream.ReadBits(8), 0xFFu);
    EXPECT_EQ(stream.ReadBit(), 1);
  }
}

// Random bit requests against a plain model of the unstuffed bit string.
TEST(InputByteStreamBits, AgreesWithAPlainBitStringModel) {
  std::mt19937 random(1234);
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    const auto [data, bits] =
        Coded([&](int i) { return static_cast<std::uint8_t>(i % 7 == 0 ? 0xFF : random() & 0xFF); },
              2000);
    MemoryInputByteStream stream(data, chunk);
    stream.BeginBitReading();
    std::size_t used = 0;
    while (used + 16 <= bits.size()) {
      const std::uint32_t count = random() % 18;  // 17 stands for a single ReadBit
      if (count == 17) {
        ASSERT_EQ(stream.ReadBit(), bits[used++]);
        continue;
      }
      std::uint32_t expected = 0;
      for (std::uint32_t k = 0; k < count; ++k) expected = expected << 1 | bits[used++];
      ASSERT_EQ(stream.ReadBits(count), expected) << "at bit " << used;
    }
  }
}

// Near a 0xFF the cursor reads a copy without the stuffed bytes; the bits it shows and where it
// leaves the stream must match reading bit by bit, up to a marker it must never reach. With a
// 0xFF in every five bytes it never has a clean window to read from instead.
TEST(InputByteStreamBits, BitCursorReadsThroughStuffedBytesAndStopsBeforeAMarker) {
  std::mt19937 random(99);
  auto [data, bits] = Coded(
      [&](int i) { return static_cast<std::uint8_t>(i % 5 == 0 ? 0xFF : random() & 0xFF); }, 300);
  data.insert(data.end(), {0xFF, 0xD9});
  for (std::size_t chunk : {std::size_t{7}, std::size_t{4096}}) {
    SCOPED_TRACE(chunk);
    StreamAndTwin streams(data, chunk);
    auto& [stream, twin] = streams;
    std::size_t used = 0;
    std::size_t from_cursor = 0;
    while (used < bits.size()) {
      InputByteStream::BitCursor cursor = stream.FastCursor();
      for (int step = 0; step < 3 && cursor.Ready(); ++step) {
        const std::uint32_t count = random() % 17;
        const std::uint32_t peeked = cursor.Peek();
        for (std::uint32_t k = 0; k < count; ++k) {
          ASSERT_EQ(static_cast<int>(peeked >> (31 - k) & 1), bits[used + k]) << "at bit " << used;
          twin.ReadBit();
        }
        cursor.Skip(count);
        used += count;
        from_cursor += count;
      }
      stream.Resume(cursor);
      ASSERT_EQ(Offset(stream), Offset(twin)) << "at bit " << used;
      if (used < bits.size()) {
        ASSERT_EQ(stream.ReadBit(), bits[used++]);
        twin.ReadBit();
      }
    }
    if (chunk == 4096) {
      EXPECT_GT(from_cursor, bits.size() / 2);
    }
    stream.EndBitReading();
    EXPECT_EQ(stream.ReadWord(), 0xFFD9);
  }
}

// In a clean window a cursor lives for many codes and tops its register up at each Fill: long
// runs of mixed takes (up to 32 bits after a Fill, single bits, nothing) must show the bits a
// plain model holds and hand the stream back where reading bit by bit would be.
TEST(InputByteStreamBits, BitCursorKeepsLongRunsOfTakesExact) {
  std::mt19937 random(7);
  const auto [data, bits] =
      Coded([&](int) { return static_cast<std::uint8_t>(random() % 0xFF); }, 600);  // no 0xFF
  for (std::size_t chunk : {std::size_t{64}, std::size_t{4096}}) {
    SCOPED_TRACE(chunk);
    StreamAndTwin streams(data, chunk);
    auto& [stream, twin] = streams;
    std::size_t used = 0;
    std::size_t twin_used = 0;
    while (used + 8 < bits.size()) {
      InputByteStream::BitCursor cursor = stream.FastCursor();
      for (int step = 0; step < 40 && cursor.Fill(); ++step) {
        const std::uint32_t window = cursor.Bits();
        ASSERT_EQ(static_cast<std::uint32_t>(cursor.Window() >> 32), window);
        const std::uint32_t count = random() % 34;  // 33 stands for single bits
        if (count == 33) {
          for (int k = 0; k < 3; ++k) ASSERT_EQ(cursor.TakeBit(), bits[used++]);
          continue;
        }
        for (std::uint32_t k = 0; k < count; ++k) {
          ASSERT_EQ(static_cast<int>(window >> (31 - k) & 1), bits[used + k]) << "at bit " << used;
        }
        cursor.Skip(count);
        used += count;
      }
      stream.Resume(cursor);
      for (; twin_used < used; ++twin_used) twin.ReadBit();
      ASSERT_EQ(Offset(stream), Offset(twin)) << "at bit " << used;
      ASSERT_EQ(stream.ReadBit(), bits[used++]);
      twin.ReadBit();
      ++twin_used;
    }
  }
}

struct BitErrorCase {
  const char* name;
  Bytes bytes;
  std::function<void(InputByteStream&)> reads;
  const char* message;
  std::streamoff position_after;  // where the stream stands, in byte mode, after the error
};

TEST(InputByteStreamBits, ErrorsCarryTheMessageOfTheOperationAndLeaveByteMode) {
  const auto read_bits = [](std::uint32_t n) { return [n](InputByteStream& s) { s.ReadBits(n); }; };
  const auto byte_then = [](std::function<void(InputByteStream&)> then) {
    return [then](InputByteStream& s) {
      s.ReadBits(8);
      then(s);
    };
  };
  const auto read_bit = [](InputByteStream& s) { s.ReadBit(); };
  const auto end_bits = [](InputByteStream& s) { s.EndBitReading(); };
  const BitErrorCase cases[] = {
      {"marker, ReadBit",
       {0xFF, 0xD0},
       byte_then(read_bit),
       "Invalid Marker in Compressed Data",
       1},
      {"marker, ReadBits", {0xFF, 0xD0}, read_bits(9), "Invalid Marker in Compressed Stream", 1},
      {"marker, EndBitReading",
       {0x12, 0xFF, 0xD9},
       [](InputByteStream& s) {
         s.ReadBits(10);
         s.EndBitReading();
       },
       "Invalid Marker in Compressed Stream",
       2},
      {"end after FF, ReadBit", {0xFF}, byte_then(read_bit), "Premature end of file", 1},
      {"end after FF, ReadBits", {0xFF}, byte_then(read_bits(1)), "Premature end of file", 1},
      {"end after FF, EndBitReading", {0xFF}, end_bits, "Premature end of file", 1},
      {"end of data, ReadBit", {0x12}, byte_then(read_bit), "Premature end of stream", 1},
      {"end of data, ReadBits", {0x12}, read_bits(9), "Premature end of file", 1},
      {"after stuffed zero, ReadBit",
       {0xFF, 0x00},
       byte_then(read_bit),
       "Premature end of stream",
       2},
      {"bit count above 16", {0x12, 0x34, 0x56}, read_bits(17), "Bit count out of range", 0},
  };
  for (const BitErrorCase& c : cases) {
    for (std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(testing::Message() << c.name << ", chunk " << chunk);
      MemoryInputByteStream stream(c.bytes, chunk);
      stream.BeginBitReading();
      EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { c.reads(stream); }), c.message);
      EXPECT_EQ(Offset(stream), c.position_after);
      EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadBit(); }),
                "Bit read outside bit mode");
      EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadBits(0); }),
                "Bit read outside bit mode");
    }
  }
}

TEST(InputByteStreamBits, EndBitReadingDropsPaddingAndStopsOnTheNextMarker) {
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    // Last data byte 0xFF (stored 0xFF 0x00), then EOI.
    const Bytes data = {0x12, 0xFF, 0x00, 0xFF, 0xD9};
    MemoryInputByteStream stream(data, chunk);
    stream.BeginBitReading();
    EXPECT_EQ(stream.ReadBits(14), 0x12FFu >> 2);  // two padding bits left unread
    stream.EndBitReading();
    EXPECT_EQ(Offset(stream), 3);
    EXPECT_EQ(stream.ReadByte(), 0xFF);
    EXPECT_EQ(stream.ReadByte(), 0xD9);
    stream.EndBitReading();  // nothing in byte mode
    EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
              "Premature end of file");
  }
}

TEST(InputByteStreamBits, AMarkerAfterTheLastBitIsNeverTouchedByBitReading) {
  const Bytes data = {0xAB, 0xFF, 0xD9};
  MemoryInputByteStream stream(data, 1);
  stream.BeginBitReading();
  EXPECT_EQ(stream.ReadBits(8), 0xABu);
  EXPECT_EQ(Offset(stream), 0);  // still on the used-up byte
  stream.EndBitReading();
  EXPECT_EQ(stream.ReadWord(), 0xFFD9);
}

// A scan header or restart marker that ends exactly at a chunk boundary: the first
// entropy-coded byte arrives only with the next refill.
TEST(InputByteStreamBits, BeginBitReadingRefillsAtAChunkBoundary) {
  for (std::size_t header : {std::size_t{2}, std::size_t{4096}}) {
    SCOPED_TRACE(header);
    Bytes bytes(header, 0x11);
    bytes.insert(bytes.end(), {0xC3, 0x5A, 0xFF, 0xD0, 0x96, 0xFF, 0xD9});
    MemoryInputByteStream stream(bytes, header);
    for (std::size_t i = 0; i < header; ++i) stream.ReadByte();
    stream.BeginBitReading();
    EXPECT_EQ(stream.ReadBits(8), 0xC3u);
    EXPECT_EQ(stream.ReadBits(8), 0x5Au);
    stream.EndBitReading();  // a restart marker ends the next chunk when header is 2
    EXPECT_EQ(stream.ReadWord(), 0xFFD0);
    stream.BeginBitReading();
    EXPECT_EQ(stream.ReadBits(8), 0x96u);
  }
}

TEST(InputByteStreamBits, BeginBitReadingOnAnExhaustedSourceFailsInByteMode) {
  const Bytes data = {0xFF, 0xDA};
  MemoryInputByteStream stream(data, 2);
  stream.ReadWord();
  EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.BeginBitReading(); }),
            "Premature end of file");
  EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadBit(); }),
            "Bit read outside bit mode");
}

TEST(InputByteStreamBytes, WordsAreBigEndianAcrossChunks) {
  for (std::size_t chunk : kChunkSizes) {
    const Bytes data = {0x01, 0x02, 0x03, 0x04, 0x05};
    MemoryInputByteStream stream(data, chunk);
    EXPECT_EQ(stream.ReadByte(), 0x01);
    EXPECT_EQ(stream.ReadWord(), 0x0203);
    EXPECT_EQ(stream.ReadWord(), 0x0405);
  }
  const Bytes data = {0x01, 0x02};
  MemoryInputByteStream stream(data);
  EXPECT_EQ(stream.ReadWord(), 258);
}

TEST(InputByteStreamBytes, ReadingPastTheEndFailsAndNeverReadsBeyondTheBytes) {
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    const Bytes bytes = {0xAA, 0xBB, 0xCC};
    MemoryInputByteStream stream(bytes, chunk);
    std::uint8_t block[8] = {};
    EXPECT_EQ(stream.ReadBytes(block, 2), 2u);
    EXPECT_EQ(block[1], 0xBB);
    EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadWord(); }),
              "Premature end of file");
    EXPECT_EQ(stream.ReadBytes(block, 8), 0u);
    EXPECT_FALSE(stream.HasMoreData());
    EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
              "Premature end of file");
    EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
              "Premature end of file");
  }
}

TEST(InputByteStreamBytes, ReadBytesCopiesAcrossChunksAndStopsShortAtTheEnd) {
  Bytes bytes(10);
  for (std::uint8_t i = 0; i < 10; ++i) bytes[i] = i;
  MemoryInputByteStream stream(bytes, 3);
  std::uint8_t block[16] = {};
  EXPECT_EQ(stream.ReadBytes(block, 7), 7u);
  EXPECT_EQ(block[6], 6);
  EXPECT_TRUE(stream.HasMoreData());
  EXPECT_EQ(stream.ReadBytes(block, 16), 3u);
  EXPECT_EQ(block[2], 9);
  EXPECT_FALSE(stream.HasMoreData());
}

TEST(MemoryInputByteStream, PositionsAreOffsetsAndSetPositionLeavesBitMode) {
  for (std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(chunk);
    const Bytes data = {0x10, 0x20, 0x30, 0x40, 0x50};
    MemoryInputByteStream stream(data, chunk);
    stream.ReadWord();
    const InputByteStream::Position mark = stream.GetPosition();
    EXPECT_EQ(std::streamoff(mark), 2);
    stream.BeginBitReading();
    stream.ReadBits(11);
    stream.SetPosition(mark);
    EXPECT_EQ(stream.ReadByte(), 0x30);  // byte mode again, back at the mark
    stream.SetPosition(InputByteStream::Position(5));
    EXPECT_FALSE(stream.HasMoreData());
    stream.SetPosition(InputByteStream::Position(std::streamoff(-1)));
    EXPECT_FALSE(stream.HasMoreData());
    EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
              "Premature end of file");
  }
}

// Stops on the first 0xFF of a marker that ends entropy-coded data, wherever the chunks end.
TEST(InputByteStreamBytes, SkipEntropyCodedDataStopsOnlyOnAMarkerThatEndsTheData) {
  const Bytes bytes{0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56, 0xFF,
                    0xFF, 0x00, 0x78, 0xFF, 0xFF, 0xC4, 0x9A};
  for (const std::size_t chunk : {1, 2, 3, 5, 4096}) {
    SCOPED_TRACE("chunks of " + std::to_string(chunk));
    MemoryInputByteStream stream(bytes, chunk);
    ASSERT_TRUE(stream.SkipEntropyCodedData());
    EXPECT_EQ(std::streamoff(stream.GetPosition()), 11);
    EXPECT_EQ(stream.ReadByte(), 0xFF);
    EXPECT_EQ(stream.ReadByte(), 0xFF);
    EXPECT_EQ(stream.ReadByte(), 0xC4);
    MemoryInputByteStream unended(std::span<const std::uint8_t>(bytes).first(11), chunk);
    EXPECT_FALSE(unended.SkipEntropyCodedData());
  }
}

class FileInputByteStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::path(testing::TempDir()) /
            (std::string("lumarc_") +
             testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin");
  }
  void TearDown() override { std::filesystem::remove(path_); }

  void WriteFile(const Bytes& bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  std::filesystem::path path_;
};

Bytes Counting(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  return bytes;
}

// A read ahead of a progressive image records positions up to the end-of-image marker, which
// lies in the last, short chunk, where the file itself no longer knows its position.
TEST_F(FileInputByteStreamTest, PositionStaysValidToTheEndOfTheFile) {
  const Bytes bytes = Counting(5000);
  WriteFile(bytes);
  FileInputByteStream stream(4096);
  stream.Open(path_.string());
  ASSERT_TRUE(stream.IsUsable());
  std::uint8_t block[10];
  ASSERT_EQ(stream.ReadBytes(block, 10), 10u);
  const InputByteStream::Position mark = stream.GetPosition();
  EXPECT_EQ(std::streamoff(mark), 10);

  std::uint8_t rest[5000];
  EXPECT_EQ(stream.ReadBytes(rest, 4100), 4100u);  // into the second chunk, which is short
  EXPECT_EQ(std::streamoff(stream.GetPosition()), 4110);
  EXPECT_EQ(stream.ReadBytes(rest, sizeof rest), 890u);
  EXPECT_FALSE(stream.HasMoreData());
  EXPECT_EQ(std::streamoff(stream.GetPosition()), 5000);

  stream.SetPosition(mark);
  EXPECT_TRUE(stream.IsUsable());
  EXPECT_EQ(std::streamoff(stream.GetPosition()), 10);
  EXPECT_EQ(stream.ReadByte(), bytes[10]);
}

TEST_F(FileInputByteStreamTest, AnotherStreamReadsTheSameFileOnItsOwn) {
  const Bytes bytes = Counting(5000);
  WriteFile(bytes);
  FileInputByteStream stream(4096);
  stream.Open(path_.string());
  std::uint8_t block[100];
  ASSERT_EQ(stream.ReadBytes(block, 100), 100u);
  const std::unique_ptr<InputByteStream> other = stream.OpenAnother();
  ASSERT_NE(other, nullptr);
  other->SetPosition(InputByteStream::Position(4500));
  EXPECT_EQ(other->ReadByte(), bytes[4500]);
  EXPECT_EQ(stream.ReadByte(), bytes[100]);

  FileInputByteStream missing(4096);
  missing.Open((path_.parent_path() / "no such file.jpg").string());
  EXPECT_EQ(missing.OpenAnother(), nullptr);
}

TEST_F(FileInputByteStreamTest, ReadsThroughASmallBufferInBothModes) {
  WriteFile(Bytes{0xFF, 0xDA, 0xA5, 0xFF, 0x00, 0x0F, 0xFF, 0xD9});
  FileInputByteStream stream(2);  // the scan header fills the first chunk exactly
  stream.Open(path_.string());
  EXPECT_EQ(stream.ReadWord(), 0xFFDA);
  stream.BeginBitReading();
  EXPECT_EQ(stream.ReadBits(3), 5u);
  EXPECT_EQ(stream.ReadBits(9), 0x05Fu);  // 00101, then 1111 of the stuffed 0xFF
  EXPECT_EQ(stream.ReadBits(8), 0xF0u);
  EXPECT_EQ(stream.ReadBits(4), 0xFu);
  stream.EndBitReading();
  EXPECT_EQ(stream.ReadWord(), 0xFFD9);
  EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
            "Premature end of file");
}

// The decoder's own buffer, with a scan header ending at its last byte.
TEST_F(FileInputByteStreamTest, BeginBitReadingRefillsAtTheEndOfAFullBuffer) {
  Bytes bytes(4096, 0x11);
  bytes.insert(bytes.end(), {0xC3, 0x5A, 0xFF, 0xD9});
  WriteFile(bytes);
  FileInputByteStream stream(4096);
  stream.Open(path_.string());
  for (int i = 0; i < 4096; ++i) stream.ReadByte();
  stream.BeginBitReading();
  EXPECT_EQ(stream.ReadBits(16), 0xC35Au);
  stream.EndBitReading();
  EXPECT_EQ(stream.ReadWord(), 0xFFD9);
}

// The decoder refills its buffer in place: what was found about the old bytes near its end must
// not keep the fast window closed over the new ones.
TEST_F(FileInputByteStreamTest, TheFastWindowOpensAgainAfterTheBufferIsRefilled) {
  WriteFile(Bytes(256, 0x5A));
  FileInputByteStream stream(64);
  stream.Open(path_.string());
  stream.BeginBitReading();
  EXPECT_TRUE(stream.FastCursor().Ready());
  for (int byte = 0; byte < 64; ++byte) ASSERT_EQ(stream.ReadBits(8), 0x5Au);
  EXPECT_FALSE(stream.FastCursor().Ready());  // the buffer's last byte
  ASSERT_EQ(stream.ReadBits(8), 0x5Au);       // the first of the next 64
  EXPECT_TRUE(stream.FastCursor().Ready());
  EXPECT_TRUE(stream.FastBitsReady());
}

TEST_F(FileInputByteStreamTest, AMissingFileIsUnusableAndReadsNothing) {
  FileInputByteStream stream(4096);
  stream.Open((path_.parent_path() / "no such file.jpg").string());
  EXPECT_FALSE(stream.IsUsable());
  EXPECT_EQ(std::streamoff(stream.GetPosition()), -1);
  EXPECT_EQ(MessageOf<InputByteStream::StreamError>([&] { stream.ReadByte(); }),
            "Premature end of file");
}

TEST_F(FileInputByteStreamTest, AZeroBufferSizeStillReadsEveryByte) {
  WriteFile(Bytes{1, 2, 3});
  FileInputByteStream stream(0);
  stream.Open(path_.string());
  std::uint8_t block[4] = {};
  EXPECT_EQ(stream.ReadBytes(block, 4), 3u);
  EXPECT_EQ(block[2], 3);
}

}  // namespace
}  // namespace Lumarc
