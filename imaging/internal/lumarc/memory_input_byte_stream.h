#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lumarc/input_byte_stream.h"

namespace Lumarc {

// Reads a caller's bytes in place, which must outlive the stream. Positions are byte offsets
// into the span. The bytes are handed out in chunks of chunk_size, like a file read through a
// buffer of that size: by default the decoder's own 4096, so decoding from memory meets the
// same chunk boundaries as decoding the file, and tests can put one exactly where they want.
// As with a file, the end of the source is known once a chunk has come up short.
class MemoryInputByteStream : public virtual InputByteStream {
 public:
  static constexpr std::size_t kDefaultChunkSize = 4096;

  // A chunk size of 0 is taken as 1.
  explicit MemoryInputByteStream(std::span<const std::uint8_t> bytes,
                                 std::size_t chunk_size = kDefaultChunkSize);
  // The bytes are not copied: a temporary vector would be gone before the first read.
  MemoryInputByteStream(std::vector<std::uint8_t>&& bytes, std::size_t chunk_size = 0) = delete;
  ~MemoryInputByteStream() override;

  Position GetPosition() override;
  // Leaves bit mode and loads the chunk starting at position. A position outside the bytes
  // (including the invalid position) leaves the stream exhausted.
  void SetPosition(Position position) override;
  std::unique_ptr<InputByteStream> OpenAnother() const override;
  bool CanOpenAnother() const override { return true; }

 protected:
  void Refill() override;
  bool AtEndOfSource() const override;

 private:
  std::span<const std::uint8_t> bytes;
  std::size_t chunk_size;
  // Offset of the first byte not yet loaded.
  std::size_t loaded_end = 0;
  // A chunk came up short: every byte has been loaded.
  bool at_end = false;
};

}  // namespace Lumarc
