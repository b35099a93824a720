#include "lumarc/file_input_byte_stream.h"

#include <algorithm>

namespace Lumarc {

FileInputByteStream::FileInputByteStream(std::uint32_t buffer_size)
    : buffer_size(std::max<std::uint32_t>(buffer_size, 1)),
      buffer(new std::uint8_t[this->buffer_size]) {}

FileInputByteStream::~FileInputByteStream() = default;

void FileInputByteStream::Open(const std::string& file_name, std::uint64_t memory_limit) {
  source = std::make_shared<FileSource>(file_name, memory_limit);
  loaded_end = source->IsOpen() ? 0 : -1;
  at_end = !source->IsOpen();
  next = nullptr;
  end = nullptr;
}

bool FileInputByteStream::IsUsable() const {
  return source && source->IsOpen();
}

bool FileInputByteStream::IsFolder() const {
  return source && source->IsFolder();
}

void FileInputByteStream::Refill() {
  next = nullptr;
  end = nullptr;
  if (loaded_end < 0 || !IsUsable()) {
    at_end = true;
    return;
  }
  const std::size_t count =
      source->ReadAt(static_cast<std::uint64_t>(loaded_end), buffer.get(), buffer_size);
  at_end = count < buffer_size;
  loaded_end += static_cast<std::int64_t>(count);
  if (count > 0) {
    next = buffer.get();
    end = next + count;
  }
}

bool FileInputByteStream::AtEndOfSource() const {
  return at_end;
}

InputByteStream::Position FileInputByteStream::GetPosition() {
  if (loaded_end < 0) return Position(std::streamoff(-1));
  return Position(loaded_end - std::streamoff(end - next));
}

void FileInputByteStream::SetPosition(Position position) {
  EndBitReading();
  const std::streamoff offset = position;
  loaded_end = IsUsable() && offset >= 0 ? offset : -1;
  at_end = false;
  Refill();
}

std::unique_ptr<InputByteStream> FileInputByteStream::OpenAnother() const {
  if (!IsUsable()) return nullptr;
  auto other = std::make_unique<FileInputByteStream>(buffer_size);
  other->source = source;
  other->loaded_end = 0;
  return other;
}

}  // namespace Lumarc
