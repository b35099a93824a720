// The public decoder: it owns the reader that does the work and turns the input's own errors
// into the library's.
#include "lumarc/jpeg_decoder.h"

#include <iostream>
#include <new>
#include <string>

#include "lumarc/file_input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/messages.h"

namespace Lumarc {

namespace {

// The file is read in chunks of this many bytes.
constexpr std::uint32_t kFileBufferSize = 4096;

// A caller of the public reads meets only the library's own exceptions: the input's errors and
// a failed allocation (the reader maps those of its threads; this covers the stream's, made
// here) arrive as JpegError.
template <typename Read>
void ReportingLibraryErrors(Read read) {
  try {
    read();
  } catch (const InputByteStream::StreamError& error) {
    throw JpegDecoder::JpegError(error.what());
  } catch (const std::bad_alloc&) {
    throw JpegDecoder::JpegError(message::kNotEnoughMemory);
  }
}

}  // namespace

JpegDecoder::JpegDecoder() : reader(std::make_unique<JpegReader>(*this)) {}
JpegDecoder::~JpegDecoder() = default;

void JpegDecoder::TransferToBitmap() {
  reader->TransferToBitmap();
}

void JpegDecoder::ReadImageFile(const std::string& file_name, BitmapImage& bitmap) {
  ReportingLibraryErrors([&] {
    FileInputByteStream stream(kFileBufferSize);
    stream.Open(file_name, reader->MemoryLimit());
    if (stream.IsFolder()) {
      throw JpegError(std::string(message::kCannotOpenInputFile) + ": " + file_name + " " +
                      message::kIsAFolder);
    }
    if (!stream.IsUsable()) throw JpegError(message::kCannotOpenInputFile);
    reader->ReadImage(stream, bitmap);
  });
}

void JpegDecoder::ReadImage(std::span<const std::uint8_t> bytes, BitmapImage& bitmap) {
  ReportingLibraryErrors([&] {
    MemoryInputByteStream stream(bytes);
    reader->ReadImage(stream, bitmap);
  });
}

void JpegDecoder::SetVerbose(bool on) {
  reader->SetTraceOutput(on ? &std::cout : nullptr);
}

void JpegDecoder::SetTraceOutput(std::ostream* out) {
  reader->SetTraceOutput(out);
}

void JpegDecoder::SetThreads(unsigned count) {
  reader->SetThreads(count);
}

void JpegDecoder::SetStrictJfif(bool on) {
  reader->SetStrictJfif(on);
}

void JpegDecoder::SetProgressCallback(ProgressCallback callback, void* data) {
  reader->SetProgressCallback(callback, data);
}

void JpegDecoder::SetMemoryLimit(std::uint64_t bytes) {
  reader->SetMemoryLimit(bytes);
}

std::uint64_t JpegDecoder::MemoryLimit() const {
  return reader->MemoryLimit();
}

std::uint64_t JpegDecoder::FrameMemoryBytes() const {
  return reader->FrameMemoryBytes();
}

std::uint64_t JpegDecoder::TransformedBlocks() const {
  return reader->TransformedBlocks();
}

bool JpegDecoder::WasCancelled() const {
  return reader->WasCancelled();
}

JpegReader& ReaderOf(JpegDecoder& decoder) {
  return *decoder.reader;
}

const JpegReader& ReaderOf(const JpegDecoder& decoder) {
  return *decoder.reader;
}

}  // namespace Lumarc
