#include "descriptor_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Lumarc::Tools {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;
// The most one call hands over; Windows counts bytes in an unsigned int.
constexpr std::size_t kLargestWrite = std::size_t{1} << 30;

long WriteSome(int descriptor, const char* bytes, std::size_t count) {
#ifdef _WIN32
  return ::_write(descriptor, bytes, static_cast<unsigned>(count));
#else
  return static_cast<long>(::write(descriptor, bytes, count));
#endif
}

int CloseDescriptor(int descriptor) {
#ifdef _WIN32
  return ::_close(descriptor);
#else
  return ::close(descriptor);
#endif
}

}  // namespace

DescriptorBuffer::DescriptorBuffer(int descriptor) : descriptor_(descriptor), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool DescriptorBuffer::WriteAll(const char* bytes, std::size_t count) {
  if (error_ != 0) return false;
  while (count > 0) {
    const long written = WriteSome(descriptor_, bytes, std::min(count, kLargestWrite));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = written < 0 ? errno : EIO;
      return false;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

bool DescriptorBuffer::Drain() {
  const bool written = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return written;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type byte) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(byte, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(byte);
    pbump(1);
  }
  return traits_type::not_eof(byte);
}

std::streamsize DescriptorBuffer::xsputn(const char* bytes, std::streamsize count) {
  const auto size = static_cast<std::size_t>(count);
  if (size <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), bytes, size);
    pbump(static_cast<int>(size));
    return count;
  }
  // Large blocks, a picture's pixel rows, go straight through rather than by the buffer.
  return Drain() && WriteAll(bytes, size) ? count : 0;
}

int DescriptorBuffer::sync() {
  return Drain() ? 0 : -1;
}

DescriptorStream::DescriptorStream(int descriptor)
    : std::ostream(nullptr), buffer_(descriptor), descriptor_(descriptor) {
  rdbuf(&buffer_);
}

DescriptorStream::~DescriptorStream() {
  if (descriptor_ >= 0) CloseDescriptor(descriptor_);
}

void DescriptorStream::Close() {
  if (descriptor_ < 0) return;
  flush();
  if (CloseDescriptor(descriptor_) != 0 && errno != EINTR) {
    close_error_ = errno;
    setstate(std::ios::badbit);
  }
  descriptor_ = -1;
}

}  // namespace Lumarc::Tools
