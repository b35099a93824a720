#include "lumarc/file_source.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"

namespace Lumarc {

// Whether the handle can seek is asked of the handle itself, not of the name, which may by now
// name something else. A pipe's or a terminal's seek fails.
FileSource::FileSource(const std::string& file_name, std::uint64_t memory_limit)
    : memory_limit(memory_limit) {
  std::error_code error;
  folder = std::filesystem::is_directory(file_name, error);
  if (folder) return;
  file.open(file_name, std::ios::in | std::ios::binary);
  open = !file.fail();
  if (!open) return;
  seekable = file.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in) != std::streampos(-1);
  file.clear();
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::uint8_t* destination,
                               std::size_t count) {
  if (!open || count == 0) return 0;
  const std::lock_guard lock(mutex);
  if (seekable) return ReadFileAt(offset, destination, count);
  if (offset + count > kept_bytes) KeepUpTo(offset + count);
  return ReadKept(offset, destination, count);
}

std::size_t FileSource::ReadFileAt(std::uint64_t offset, std::uint8_t* destination,
                                   std::size_t count) {
  if (offset != file_offset) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    if (file.fail()) return 0;
    file_offset = offset;
  }
  const std::size_t got = ReadFile(destination, count);
  file_offset += got;
  return got;
}

// ifstream::read goes on after a short read of a pipe until the count or the end of the data.
std::size_t FileSource::ReadFile(std::uint8_t* destination, std::size_t count) {
  file.read(reinterpret_cast<char*>(destination), static_cast<std::streamsize>(count));
  const auto got = static_cast<std::size_t>(file.gcount());
  if (got < count) file.clear();  // a file that grows later is read on from there
  return got;
}

std::size_t FileSource::ReadKept(std::uint64_t offset, std::uint8_t* destination,
                                 std::size_t count) {
  std::size_t copied = 0;
  while (copied < count && offset < kept_bytes) {
    const std::size_t chunk = static_cast<std::size_t>(offset / kKeptChunkBytes);
    const std::size_t within = static_cast<std::size_t>(offset % kKeptChunkBytes);
    const std::size_t available = static_cast<std::size_t>(
        std::min<std::uint64_t>(kKeptChunkBytes - within, kept_bytes - offset));
    const std::size_t take = std::min(count - copied, available);
    std::memcpy(destination + copied, kept_chunks[chunk].get() + within, take);
    copied += take;
    offset += take;
  }
  return copied;
}

// A source that cannot seek is read on, chunk by chunk, until it holds `end` bytes or ends.
void FileSource::KeepUpTo(std::uint64_t end) {
  while (kept_bytes < end && !source_ended) {
    const std::size_t within = static_cast<std::size_t>(kept_bytes % kKeptChunkBytes);
    if (within == 0) {
      if (kept_bytes + kKeptChunkBytes > memory_limit) {
        throw JpegDecoder::JpegError(message::kImageTooLargeForMemory);
      }
      kept_chunks.push_back(std::make_unique<std::uint8_t[]>(kKeptChunkBytes));
    }
    const std::size_t got = ReadFile(kept_chunks.back().get() + within, kKeptChunkBytes - within);
    kept_bytes += got;
    source_ended = got < kKeptChunkBytes - within;
  }
}

}  // namespace Lumarc
