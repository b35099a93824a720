#include "lumarc/memory_input_byte_stream.h"

#include <algorithm>

namespace Lumarc {

MemoryInputByteStream::MemoryInputByteStream(std::span<const std::uint8_t> bytes,
                                             std::size_t chunk_size)
    : bytes(bytes), chunk_size(std::max<std::size_t>(chunk_size, 1)) {}

MemoryInputByteStream::~MemoryInputByteStream() = default;

void MemoryInputByteStream::Refill() {
  const std::size_t count = std::min(chunk_size, bytes.size() - loaded_end);
  if (count < chunk_size) at_end = true;
  if (count == 0) {
    next = nullptr;
    end = nullptr;
    return;
  }
  next = bytes.data() + loaded_end;
  end = next + count;
  loaded_end += count;
}

bool MemoryInputByteStream::AtEndOfSource() const {
  return at_end;
}

InputByteStream::Position MemoryInputByteStream::GetPosition() {
  return Position(static_cast<std::streamoff>(loaded_end - static_cast<std::size_t>(end - next)));
}

void MemoryInputByteStream::SetPosition(Position position) {
  EndBitReading();
  const std::streamoff offset = position;
  const bool inside = offset >= 0 && static_cast<std::uint64_t>(offset) <= bytes.size();
  loaded_end = inside ? static_cast<std::size_t>(offset) : bytes.size();
  at_end = false;
  next = nullptr;
  end = nullptr;
  Refill();
}

std::unique_ptr<InputByteStream> MemoryInputByteStream::OpenAnother() const {
  return std::make_unique<MemoryInputByteStream>(bytes, chunk_size);
}

}  // namespace Lumarc
