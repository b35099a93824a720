#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ios>
#include <memory>
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
  // A second stream over the same source, read independently of this one, at the source's
  // start; null where the source cannot be read twice at once (the base class).
  virtual std::unique_ptr<InputByteStream> OpenAnother() const;
  // Whether OpenAnother gives a stream, asked without making one.
  virtual bool CanOpenAnother() const;

  // Byte mode.
  // Raises StreamError "Premature end of file" when the source is exhausted.
  std::uint8_t ReadByte();
  // Big-endian; raises StreamError "Premature end of file" unless both bytes are there.
  std::uint16_t ReadWord();
  // Copies up to count bytes; returns fewer only when the source ended.
  std::size_t ReadBytes(std::uint8_t* destination, std::size_t count);
  // True while a byte is buffered or the source is not known to be exhausted. Never refills.
  bool HasMoreData() const;
  // Passes over entropy-coded data as a scan would read it (data bytes, stuffed 0x00s, fill
  // bytes and restart markers) and stops on the 0xFF of the first other marker. False, with the
  // source exhausted, where none follows. Needs GetPosition and SetPosition.
  bool SkipEntropyCodedData();

  // Bit mode, between BeginBitReading and EndBitReading. Calling ReadBit or ReadBits in byte
  // mode is a programming error of the caller; it raises StreamError "Bit read outside bit
  // mode" rather than reading anything. Every error in bit mode leaves the stream in byte mode,
  // with `next` where the error was found.
  // Makes the byte at `next` the current byte. Raises StreamError "Premature end of file"
  // when no byte is left for it.
  void BeginBitReading();
  // 0 or 1.
  int ReadBit() {
    if (bits_remaining <= 0) return ReadBitOfNextByte();
    --bits_remaining;
    return (*next >> bits_remaining) & 1;
  }
  // count bits (0 to 16), the first read the most significant. A count above 16 raises
  // StreamError "Bit count out of range". Takes the fast window where it is ready.
  std::uint32_t ReadBits(std::uint32_t count) {
    if (count <= 16 && FastBitsReady()) {
      const std::uint32_t value = count == 0 ? 0 : PeekFastBits() >> (32 - count);
      SkipFastBits(count);
      return value;
    }
    return ReadBitsExact(count);
  }
  // ReadBits one byte at a time through the mask tables: the reference the fast path matches.
  std::uint32_t ReadBitsExact(std::uint32_t count);
  // Discards the unread bits of the current byte (and its stuffed 0x00 when it is 0xFF) and
  // returns to byte mode. In byte mode it does nothing.
  void EndBitReading();

  // The fast window of bit mode, for readers that look ahead. While FastBitsReady is true, the
  // next 32 bits lie in bytes already buffered, none of them a 0xFF, so taking them cannot meet
  // a stuffed byte, a marker, a refill or the end of the data, and they read exactly as through
  // ReadBit. Near any of those it is false, and the exact path must be taken instead.
  bool FastBitsReady() {
    return (fast_limit != nullptr && next <= fast_limit) || PrepareFastBits();
  }
  // The next 32 bits, the first in the most significant place. Only while FastBitsReady.
  std::uint32_t PeekFastBits() const { return PeekBitsAt(next, bits_remaining); }
  // Consumes count bits (0 to 32) of those PeekFastBits showed. Like ReadBit, it leaves `next`
  // on a byte whose last bit was read, with bits_remaining 0.
  void SkipFastBits(std::uint32_t count) { SkipBitsAt(next, bits_remaining, count); }

  // The fast window's state, for a block decoder that takes many codes in a row: the bits are
  // held in a 64-bit register that Fill tops up on every call without a branch, from whole bytes
  // after the ones already loaded. A refill that waited for the register to run low would turn
  // on the lengths of the codes just read, and mispredict every few codes. Nothing else may
  // read the stream until the cursor is handed back with Resume.
  class BitCursor {
   public:
    // 32 more bits may be taken.
    bool Ready() const { return Offset() <= limit; }
    // count more bits may be taken, and 32 after them.
    bool ReadyFor(std::uint32_t count) const { return Offset() + count <= limit; }
    // Ready, with the next 56 bits or more in the register for Bits: a hot loop's one
    // comparison.
    bool Fill() {
      if (Offset() > limit) return false;
      Refill();
      return true;
    }
    // The next 32 bits, the first in the most significant place, after Fill.
    std::uint32_t Bits() const { return static_cast<std::uint32_t>(bits >> 32); }
    // The register they are the top of, for lookups that take fewer bits straight from it.
    std::uint64_t Window() const { return bits; }
    // The same, loading them first where needed. Only while Ready.
    std::uint32_t Peek() {
      if (held < 32) Refill();
      return Bits();
    }
    // The next bit alone: for readers taking many single bits, which must stay within what
    // Ready or ReadyFor allowed.
    int TakeBit() {
      if (held == 0) Refill();
      const int bit = static_cast<int>(bits >> 63);
      bits <<= 1;
      --held;
      return bit;
    }
    // Consumes count bits (0 to 32) of those Peek or Bits showed.
    void Skip(std::uint32_t count) {
      bits <<= count & 63;  // the machine's own shift count, with no masking of its own
      held -= count;
    }

   private:
    friend class InputByteStream;
    // Bits read from base's first.
    std::int64_t Offset() const { return loaded - held; }
    // Adds the whole bytes that fit below the held bits, which leaves 56 to 63 held. The bits
    // below those held are either zero or the very bits the load brings again, so OR-ing the
    // load in keeps them right.
    void Refill() {
      std::uint64_t word;
      std::memcpy(&word, base + (loaded >> 3), sizeof word);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
      bits |= word >> held;
      loaded += (63 - held) & ~std::uint32_t{7};
      held |= 56;
    }

    // The stream's `next` when the cursor was made.
    const std::uint8_t* base = nullptr;
    // The bits loaded from base's first byte, always whole bytes.
    std::int64_t loaded = 0;
    // How many of the register's bits, from its top, are loaded and not yet taken (0 to 63).
    std::uint32_t held = 0;
    // The largest offset from which 32 bits may be taken; -1 when none may.
    std::int64_t limit = -1;
    std::uint64_t bits = 0;
  };
  // Near a 0xFF the cursor reads a copy of the coming bytes with their stuffed 0x00 removed,
  // up to the first marker or the end of the buffered data.
  BitCursor FastCursor() {
    if (!FastBitsReady()) {
      return before_marker != nullptr && next <= before_marker ? BitCursor{} : DestuffedCursor();
    }
    BitCursor cursor;
    cursor.base = next;
    // Any offset up to the end of the byte at fast_limit leaves `next` at most there.
    cursor.limit = (fast_limit - next) * 8 + 8;
    cursor.Refill();
    cursor.Skip(static_cast<std::uint32_t>(8 - bits_remaining));
    return cursor;
  }
  void Resume(const BitCursor& cursor) {
    const std::int64_t offset = cursor.Offset();
    if (offset == 0) return;  // nothing read, and the current byte still whole
    const std::int64_t byte = (offset - 1) >> 3;
    // A data 0xFF read to its last bit stays current; its stuffed 0x00 is skipped on leaving it.
    next = cursor.base == destuffed.data()
               ? destuffed_origin + destuffed_source[static_cast<std::size_t>(byte)]
               : cursor.base + byte;
    bits_remaining = static_cast<std::int32_t>(7 - ((offset - 1) & 7));
  }

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
  // Bytes a fast read may consume (the current one and four more) and load (eight, or up to
  // sixteen when a cursor's refill starts at the first byte it does not yet hold).
  static constexpr std::ptrdiff_t kFastConsumedBytes = 5;
  static constexpr std::ptrdiff_t kFastLoadedBytes = 16;

  static std::uint32_t PeekBitsAt(const std::uint8_t* at, std::int32_t bits_remaining) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    // bits_remaining is 0 to 8, so at least 56 valid bits remain after dropping the read ones.
    return static_cast<std::uint32_t>((word << (8 - bits_remaining)) >> 32);
  }
  static void SkipBitsAt(const std::uint8_t*& at, std::int32_t& bits_remaining,
                         std::uint32_t count) {
    const std::uint32_t consumed = static_cast<std::uint32_t>(8 - bits_remaining) + count;
    if (consumed == 0) return;
    at += (consumed - 1) >> 3;
    bits_remaining = static_cast<std::int32_t>(7 - ((consumed - 1) & 7));
  }

  // FastCursor's copy of the bytes from `next` without their stuffed 0x00s; not ready when too
  // few bytes lie before a marker, the end of the buffered data, or outside bit mode.
  BitCursor DestuffedCursor();

  // The exact ReadBit once the current byte is used up (or outside bit mode).
  int ReadBitOfNextByte();
  // Finds the fast window from `next`: false when it is empty here.
  bool PrepareFastBits();
  void ForgetFastWindow() {
    fast_limit = nullptr;
    no_window_through = nullptr;
    before_marker = nullptr;
  }
  bool RefillIfEmpty();
  [[noreturn]] void FailInBitMode(const char* message);
  void AdvanceToNextByte(const char* stuffing_message);
  void StartNextByte(const char* end_of_data_message, const char* stuffing_message);

  // The last `next` from which a fast read stays inside the window found by PrepareFastBits;
  // null when no window is known (byte mode, or the buffer may have been refilled).
  const std::uint8_t* fast_limit = nullptr;
  // Known by the last PrepareFastBits that found no window: from every `next` up to this one,
  // none can be found either (the 0xFF or the buffer's end that closed it is still as close), so
  // the search is not repeated for each code near a marker. Null when not known.
  const std::uint8_t* no_window_through = nullptr;
  // Up to here, too few bytes lie before a marker for even a destuffed copy to make a cursor
  // ready: the blocks before it go to the exact path without making one.
  const std::uint8_t* before_marker = nullptr;

  // The copy DestuffedCursor reads, with room for a cursor's 8-byte loads past its last byte;
  // destuffed_source holds each copied byte's distance from destuffed_origin, the `next` it
  // was made at.
  static constexpr std::size_t kDestuffedBytes = 32;
  std::array<std::uint8_t, kDestuffedBytes + 16> destuffed{};
  std::array<std::uint8_t, kDestuffedBytes> destuffed_source{};
  const std::uint8_t* destuffed_origin = nullptr;
};

}  // namespace Lumarc
