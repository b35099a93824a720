#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "lumarc/file_source.h"
#include "lumarc/input_byte_stream.h"

namespace Lumarc {

// Reads a file through a buffer of fixed size. The file is opened once, by Open; the streams
// OpenAnother makes read the same open file (FileSource), each at its own position.
class FileInputByteStream : public virtual InputByteStream {
 public:
  // A buffer size of 0 is taken as 1.
  explicit FileInputByteStream(std::uint32_t buffer_size);
  ~FileInputByteStream() override;

  // Opening failures are not reported here: test IsUsable afterwards. A source that cannot seek
  // keeps at most memory_limit bytes in memory.
  void Open(const std::string& file_name,
            std::uint64_t memory_limit = std::numeric_limits<std::uint64_t>::max());
  // The file was opened.
  bool IsUsable() const;
  // The name Open was given names a folder (and nothing was opened).
  bool IsFolder() const;

  // A byte offset into the file; invalid (offset -1) for a file that could not be opened and
  // after a SetPosition to an invalid position.
  Position GetPosition() override;
  // Leaves bit mode and loads the chunk at position.
  void SetPosition(Position position) override;
  // Another stream over the same open file, at its start; null where none was opened.
  std::unique_ptr<InputByteStream> OpenAnother() const override;
  bool CanOpenAnother() const override { return IsUsable(); }

 protected:
  void Refill() override;
  bool AtEndOfSource() const override;

 private:
  std::uint32_t buffer_size;
  std::unique_ptr<std::uint8_t[]> buffer;
  std::shared_ptr<FileSource> source;
  // The offset of the first byte not yet loaded; -1 where unknown.
  std::int64_t loaded_end = -1;
  // A chunk came up short: the source has no more bytes from here.
  bool at_end = false;
};

}  // namespace Lumarc
