#pragma once

#include <ostream>
#include <streambuf>
#include <vector>

namespace Lumarc::Tools {

// The buffer behind DescriptorStream: hands every byte to the system, retrying where the system
// takes fewer bytes than offered (as a FIFO does) or a signal interrupts the call.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int descriptor);

  // The system's error number of the first write that failed, or 0.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type byte) override;
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;
  int sync() override;

 private:
  bool WriteAll(const char* bytes, std::size_t count);
  bool Drain();

  int descriptor_;
  int error_ = 0;
  std::vector<char> buffer_;
};

// An output stream into a file descriptor that it owns, so that a tool can tell from the
// system's own error number why a write failed ("No space left on device"), which a file
// stream of the standard library does not keep.
class DescriptorStream : public std::ostream {
 public:
  explicit DescriptorStream(int descriptor);
  ~DescriptorStream() override;
  DescriptorStream(const DescriptorStream&) = delete;
  DescriptorStream& operator=(const DescriptorStream&) = delete;

  // Writes out what is buffered and closes the descriptor; a failure of either sets badbit and
  // leaves its error number in Error().
  void Close();

  // The error number of the first write or close that failed, or 0.
  int Error() const { return buffer_.Error() != 0 ? buffer_.Error() : close_error_; }

 private:
  DescriptorBuffer buffer_;
  int descriptor_;
  int close_error_ = 0;
};

}  // namespace Lumarc::Tools
