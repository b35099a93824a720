#include "lumarc/file_input_byte_stream.h"

#include <algorithm>

namespace Lumarc {

FileInputByteStream::FileInputByteStream(std::uint32_t buffer_size)
    : buffer_size(std::max<std::uint32_t>(buffer_size, 1)),
      buffer(new std::uint8_t[this->buffer_size]) {}

FileInputByteStream::~FileInputByteStream() = default;

void FileInputByteStream::Open(const std::string& file_name) {
  file.open(file_name, std::ios::in | std::ios::binary);
}

bool FileInputByteStream::IsUsable() const {
  return !file.fail();
}

void FileInputByteStream::Refill() {
  file.read(reinterpret_cast<char*>(buffer.get()), buffer_size);
  const std::streamsize count = file.gcount();
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
  const Position invalid(std::streamoff(-1));
  if (file.fail()) return invalid;
  const Position read_position = file.tellg();
  if (read_position == invalid) return invalid;
  // The file is ahead of us by what is buffered but not yet consumed.
  return read_position - std::streamoff(end - next);
}

void FileInputByteStream::SetPosition(Position position) {
  EndBitReading();
  file.clear();
  if (IsUsable()) file.seekg(position);
  Refill();
}

}  // namespace Lumarc
