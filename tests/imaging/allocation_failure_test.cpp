// Every allocation of a read failing in turn, on the reading thread or on the worker: the read
// ends with the library's own "Not Enough Memory", and a reused bitmap that held a picture shows
// each row either as the new picture has it or cleared, never as it was.
#include <gtest/gtest.h>

// This program's own operator new takes its memory from malloc, so its operator delete frees it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"

namespace {

// Which thread's allocations count down to the one that fails.
enum class FailingThread { kReading, kWorker };

// Armed by a test of this program alone, which replaces the global operator new.
struct AllocationFault {
  std::atomic<long> countdown{-1};  // -1: disarmed
  std::atomic<bool> failed{false};
  FailingThread thread = FailingThread::kReading;
  std::thread::id reading_thread;
};
AllocationFault fault;

bool ShouldFail() {
  if (fault.countdown.load(std::memory_order_relaxed) < 0) return false;
  const bool on_reading = std::this_thread::get_id() == fault.reading_thread;
  if (on_reading != (fault.thread == FailingThread::kReading)) return false;
  if (fault.countdown.fetch_sub(1) != 0) return false;
  fault.failed = true;
  return true;
}

void* Allocate(std::size_t bytes, std::size_t alignment) {
  if (ShouldFail()) return nullptr;
  if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes == 0 ? 1 : bytes);
  return std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
}

}  // namespace

void* operator new(std::size_t bytes) {
  if (void* block = Allocate(bytes, 0)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) {
  return operator new(bytes);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  if (void* block = Allocate(bytes, static_cast<std::size_t>(alignment))) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return operator new(bytes, alignment);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return Allocate(bytes, 0);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return Allocate(bytes, 0);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
  std::free(block);
}

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadCorpusFile(const std::string& name) {
  std::ifstream in(std::string(LUMARC_CORPUS_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct FaultCase {
  const char* file;
  FailingThread thread;
  bool fresh_decoder;  // a fresh decoder also starts its worker during the read
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.file << (c.thread == FailingThread::kReading ? ", reading thread" : ", worker")
       << (c.fresh_decoder ? ", fresh decoder" : ", reused decoder");
}

class AllocationFailureTest : public testing::TestWithParam<FaultCase> {};

TEST_P(AllocationFailureTest, EndsWithNotEnoughMemoryAndNoRowOfThePreviousPicture) {
  const FaultCase& param = GetParam();
  const Bytes bytes = ReadCorpusFile(param.file);
  ASSERT_FALSE(bytes.empty());
  Lumarc::BitmapImage expected;
  Lumarc::JpegDecoder().ReadImage(bytes, expected);
  const std::size_t row_bytes = expected.BytesPerRow();

  fault.reading_thread = std::this_thread::get_id();
  fault.thread = param.thread;
  Lumarc::JpegDecoder reused;
  int failures = 0;
  for (long n = 0;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    Lumarc::JpegDecoder fresh;
    Lumarc::JpegDecoder& decoder = param.fresh_decoder ? fresh : reused;
    decoder.SetThreads(2);
    Lumarc::ReaderOf(decoder).SetWorkerMinimumPixels(1);
    // The previous picture: the same size, so its pixel buffer is taken over unfilled.
    Lumarc::BitmapImage bitmap;
    reused.ReadImage(bytes, bitmap);
    std::fill_n(bitmap.PixelData(), row_bytes * bitmap.Height(), std::uint8_t{0xA5});

    fault.failed = false;
    fault.countdown = n;
    std::string error = "none";
    try {
      decoder.ReadImage(bytes, bitmap);
    } catch (const Lumarc::JpegDecoder::JpegError& e) {
      error = e.what();
    } catch (...) {
      error = "an exception not the library's own";
    }
    fault.countdown = -1;
    if (!fault.failed) {
      EXPECT_EQ(error, "none");
      break;
    }
    ++failures;
    ASSERT_EQ(error, "Not Enough Memory to Decode the Image");
    if (bitmap.PixelData() == nullptr) continue;  // failed before the bitmap was made
    ASSERT_EQ(bitmap.Height(), expected.Height());
    for (std::uint32_t row = 0; row < bitmap.Height(); ++row) {
      const std::uint8_t* got = bitmap.PictureRow(row);
      const std::uint8_t* want = expected.PictureRow(row);
      const bool as_decoded = std::equal(got, got + row_bytes, want);
      const bool cleared = std::all_of(got, got + row_bytes, [](std::uint8_t b) { return b == 0; });
      ASSERT_TRUE(as_decoded || cleared) << "row " << row;
    }
  }
  EXPECT_GT(failures, 0) << "no allocation of this kind was made";
}

INSTANTIATE_TEST_SUITE_P(
    Reads, AllocationFailureTest,
    testing::Values(
        FaultCase{"sampling_4x1_801x599.jpg", FailingThread::kReading, true},
        FaultCase{"sampling_4x1_801x599.jpg", FailingThread::kWorker, false},
        FaultCase{"progressive_sampling_4x1_801x599.jpg", FailingThread::kReading, true},
        FaultCase{"progressive_sampling_4x1_801x599.jpg", FailingThread::kWorker, false},
        FaultCase{"progressive_q75_801x599.jpg", FailingThread::kReading, false}));

}  // namespace
