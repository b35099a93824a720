#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "lumarc/input_byte_stream.h"

namespace Lumarc {

// Reads a caller's bytes in place, which must outlive the stream. Positions are byte offsets
// into the span. The bytes are handed out in chunks of chunk_size (0: all at once), so that
// tests can put a chunk boundary exactly where they want one.
class MemoryInputByteStream : public virtual InputByteStream {
 public:
  explicit MemoryInputByteStream(std::span<const std::uint8_t> bytes, std::size_t chunk_size = 0);
  ~MemoryInputByteStream() override;

  Position GetPosition() override;
  // Leaves bit mode and loads the chunk starting at position. A position outside the bytes
  // (including the invalid position) leaves the stream exhausted.
  void SetPosition(Position position) override;

 protected:
  void Refill() override;
  bool AtEndOfSource() const override;

 private:
  std::span<const std::uint8_t> bytes;
  std::size_t chunk_size;
  // Offset of the first byte not yet loaded.
  std::size_t loaded_end = 0;
};

}  // namespace Lumarc
