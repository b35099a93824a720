#pragma once

#include <cstddef>
#include <cstdint>
#include <ios>
#include <stdexcept>

namespace Lumarc {

// The buffered byte source all decoder input goes through. Byte mode serves markers and
// segment contents; bit mode serves entropy-coded data, most significant bit first, with the
// 0x00 stuffed after every 0xFF data byte removed and any other byte after a 0xFF refused.
// Subclasses supply the source (Refill, AtEndOfSource) and inherit this class as a virtual
// base.
class InputByteStream {
 public:
  // Input ending inside entropy-coded data, a 0xFF there not followed by 0x00, or a byte-mode
  // read from an exhausted source.
  class StreamError : public std::logic_error {
   public:
    using std::logic_error::logic_error;
  };

  // Opaque to this class: it is only handed back to SetPosition. Offset -1 is invalid.
  using Position = std::streampos;

  InputByteStream() = default;
  virtual ~InputByteStream();
  InputByteStream(const InputByteStream&) = delete;
  InputByteStream& operator=(const InputByteStream&) = delete;

  // Where the byte at `next` lies in the source. The base version returns 0.
  virtual Position GetPosition();
  // Moves the source so that the next byte read is the one at position. Base: nothing.
  virtual void SetPosition(Position position);

  // Byte mode.
  // Raises StreamError "Premature end of file" when the source is exhausted.
  std::uint8_t ReadByte();
  // Big-endian; raises StreamError "Premature end of file" unless both bytes are there.
  std::uint16_t ReadWord();
  // Copies up to count bytes; returns fewer only when the source ended.
  std::size_t ReadBytes(std::uint8_t* destination, std::size_t count);
  // True while a byte is buffered or the source is not known to be exhausted. Never refills.
  bool HasMoreData() const;

  // Bit mode, between BeginBitReading and EndBitReading. Calling ReadBit or ReadBits in byte
  // mode is a programming error of the caller; it raises StreamError "Bit read outside bit
  // mode" rather than reading anything. Every error in bit mode leaves the stream in byte mode,
  // with `next` where the error was found.
  // Makes the byte at `next` the current byte. Raises StreamError "Premature end of file"
  // when no byte is left for it.
  void BeginBitReading();
  // 0 or 1.
  int ReadBit();
  // count bits (0 to 16), the first read the most significant. A count above 16 raises
  // StreamError "Bit count out of range".
  std::uint32_t ReadBits(std::uint32_t count);
  // Discards the unread bits of the current byte (and its stuffed 0x00 when it is 0xFF) and
  // returns to byte mode. In byte mode it does nothing.
  void EndBitReading();

 protected:
  // Loads the next chunk of the source into [next, end); both null when nothing was read.
  virtual void Refill() = 0;
  virtual bool AtEndOfSource() const = 0;

  // The current byte: the next byte to hand out in byte mode, or the byte whose bits are
  // being read in bit mode.
  const std::uint8_t* next = nullptr;
  // One past the last byte loaded.
  const std::uint8_t* end = nullptr;
  // -1 in byte mode; in bit mode the unread bits of the current byte (0 to 8).
  std::int32_t bits_remaining = -1;

 private:
  bool RefillIfEmpty();
  [[noreturn]] void FailInBitMode(const char* message);
  void AdvanceToNextByte(const char* stuffing_message);
  void StartNextByte(const char* end_of_data_message, const char* stuffing_message);
};

}  // namespace Lumarc
