#include "lumarc/file_input_byte_stream.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Lumarc {

FileInputByteStream::FileInputByteStream(std::uint32_t buffer_size)
    : buffer_size(std::max<std::uint32_t>(buffer_size, 1)),
      buffer(new std::uint8_t[this->buffer_size]) {}

FileInputByteStream::~FileInputByteStream() = default;

void FileInputByteStream::Open(const std::string& name) {
  file.open(name, std::ios::in | std::ios::binary);
  file_name = name;
  std::error_code error;
  regular_file = std::filesystem::is_regular_file(name, error);
  loaded_end = IsUsable() ? 0 : -1;
}

bool FileInputByteStream::IsUsable() const {
  return !file.fail();
}

void FileInputByteStream::Refill() {
  file.read(reinterpret_cast<char*>(buffer.get()), buffer_size);
  const std::streamsize count = file.gcount();
  if (loaded_end >= 0) loaded_end += count;
  if (count > 0) {
    next = buffer.get();
    end = next + count;
  } else {
    next = nullptr;
    end = nullptr;
  }
}

bool FileInputByteStream::AtEndOfSource() const {
  return file.eof();
}

InputByteStream::Position FileInputByteStream::GetPosition() {
  if (loaded_end < 0) return Position(std::streamoff(-1));
  return Position(loaded_end - std::streamoff(end - next));
}

void FileInputByteStream::SetPosition(Position position) {
  EndBitReading();
  file.clear();
  if (IsUsable()) file.seekg(position);
  loaded_end = IsUsable() && std::streamoff(position) >= 0 ? std::streamoff(position) : -1;
  Refill();
}

std::unique_ptr<InputByteStream> FileInputByteStream::OpenAnother() const {
  if (!regular_file) return nullptr;
  auto other = std::make_unique<FileInputByteStream>(buffer_size);
  other->Open(file_name);
  if (!other->IsUsable()) return nullptr;
  return other;
}

}  // namespace Lumarc
