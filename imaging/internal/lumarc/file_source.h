#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Lumarc {

// A file opened once for a whole read. Every stream of the read (the marker loop's, a second pass
// from the start, each progressive scan read ahead) reads through this one handle by offset and
// never opens the file by name again: a file renamed or replaced during the read, or a FIFO put
// in its place, is not seen. A source that cannot seek (a pipe, a FIFO, a terminal, standard
// input) keeps every byte it has given in memory, up to the memory limit, so that it can be read
// from any offset already passed.
class FileSource {
 public:
  // Opening failures are not reported here: test IsOpen afterwards.
  FileSource(const std::string& file_name, std::uint64_t memory_limit);
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool IsOpen() const { return open; }
  // The name named a folder: a message can then say so rather than that the file was empty.
  bool IsFolder() const { return folder; }
  // Copies up to count bytes from offset; fewer only where the source ends (or a read of the file
  // fails, which looks the same to the decoder: its data ends there). A source that cannot seek
  // and would keep more than the memory limit raises JpegDecoder::JpegError "Image Too Large for
  // Memory". Safe from two threads at once.
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* destination, std::size_t count);

 private:
  std::size_t ReadFileAt(std::uint64_t offset, std::uint8_t* destination, std::size_t count);
  std::size_t ReadKept(std::uint64_t offset, std::uint8_t* destination, std::size_t count);
  void KeepUpTo(std::uint64_t end);
  std::size_t ReadFile(std::uint8_t* destination, std::size_t count);

  std::mutex mutex;
  std::ifstream file;
  bool open = false;
  bool folder = false;
  bool seekable = false;
  // Where the handle stands, so that reading on from there needs no seek.
  std::uint64_t file_offset = 0;

  // What a source that cannot seek has given so far, in chunks that never move.
  static constexpr std::size_t kKeptChunkBytes = std::size_t{1} << 16;
  std::uint64_t memory_limit;
  std::vector<std::unique_ptr<std::uint8_t[]>> kept_chunks;
  std::uint64_t kept_bytes = 0;
  bool source_ended = false;
};

}  // namespace Lumarc
