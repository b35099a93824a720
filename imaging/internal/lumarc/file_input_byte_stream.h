#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "lumarc/input_byte_stream.h"

namespace Lumarc {

// Reads a file opened in binary mode through a buffer of fixed size.
class FileInputByteStream : public virtual InputByteStream {
 public:
  // A buffer size of 0 is taken as 1.
  explicit FileInputByteStream(std::uint32_t buffer_size);
  ~FileInputByteStream() override;

  // Opening failures are not reported here: test IsUsable afterwards.
  void Open(const std::string& file_name);
  // Neither the fail nor the bad flag of the file is set.
  bool IsUsable() const;

  // Counted from the bytes loaded, so that it stays valid at the end of the file, where the
  // file itself no longer tells it; invalid (offset -1) for a file that could not be opened and
  // after a SetPosition that failed.
  Position GetPosition() override;
  // Leaves bit mode, clears the file's state flags, seeks and loads the chunk there.
  void SetPosition(Position position) override;
  // The same file opened again, where it is a regular file (a pipe could not be read twice).
  std::unique_ptr<InputByteStream> OpenAnother() const override;

 protected:
  void Refill() override;
  bool AtEndOfSource() const override;

 private:
  std::uint32_t buffer_size;
  std::unique_ptr<std::uint8_t[]> buffer;
  std::ifstream file;
  std::string file_name;
  bool regular_file = false;
  // The offset of the first byte not yet loaded; -1 where unknown.
  std::streamoff loaded_end = -1;
};

}  // namespace Lumarc
