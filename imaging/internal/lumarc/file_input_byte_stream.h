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

  // Invalid (offset -1) while the file is in a failed state, which it is once a refill has
  // come up short at the end of the file; SetPosition clears that state.
  Position GetPosition() override;
  // Leaves bit mode, clears the file's state flags, seeks and loads the chunk there.
  void SetPosition(Position position) override;

 protected:
  void Refill() override;
  bool AtEndOfSource() const override;

 private:
  std::uint32_t buffer_size;
  std::unique_ptr<std::uint8_t[]> buffer;
  std::ifstream file;
};

}  // namespace Lumarc
