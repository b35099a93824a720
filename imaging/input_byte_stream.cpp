#include "lumarc/input_byte_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "lumarc/messages.h"

namespace Lumarc {
namespace {

// Indexed by a bit count 0 to 8; bits are taken straight from the buffered byte through these.
constexpr std::array<std::uint8_t, 9> kSingleBitMask = {0x00, 0x01, 0x02, 0x04, 0x08,
                                                        0x10, 0x20, 0x40, 0x80};
constexpr std::array<std::uint8_t, 9> kLowBitsMask = {0x00, 0x01, 0x03, 0x07, 0x0F,
                                                      0x1F, 0x3F, 0x7F, 0xFF};
constexpr std::array<std::uint8_t, 9> kHighBitsMask = {0x00, 0x80, 0xC0, 0xE0, 0xF0,
                                                       0xF8, 0xFC, 0xFE, 0xFF};

}  // namespace

InputByteStream::~InputByteStream() = default;

InputByteStream::Position InputByteStream::GetPosition() {
  return Position(0);
}

void InputByteStream::SetPosition(Position) {}

bool InputByteStream::CanOpenAnother() const {
  return false;
}

std::unique_ptr<InputByteStream> InputByteStream::OpenAnother() const {
  return nullptr;
}

// A 0xFF can end the buffer with its marker code in the next chunk, so the marker's start is
// kept as a position rather than a pointer.
bool InputByteStream::SkipEntropyCodedData() {
  for (;;) {
    if (!RefillIfEmpty()) return false;
    const void* found = std::memchr(next, 0xFF, static_cast<std::size_t>(end - next));
    if (found == nullptr) {
      next = end;
      continue;
    }
    next = static_cast<const std::uint8_t*>(found);
    const Position marker = GetPosition();
    std::uint8_t code = 0xFF;
    while (code == 0xFF) {
      ++next;
      if (!RefillIfEmpty()) return false;
      code = *next;
    }
    const bool restart = code >= 0xD0 && code <= 0xD7;
    if (code != 0x00 && !restart) {
      SetPosition(marker);
      return true;
    }
    ++next;
  }
}

bool InputByteStream::RefillIfEmpty() {
  if (next >= end) {
    // A file stream reuses its buffer, so the old window's pointers may look valid again.
    ForgetFastWindow();
    Refill();
  }
  return next < end;
}

bool InputByteStream::PrepareFastBits() {
  fast_limit = nullptr;
  if (no_window_through != nullptr && next <= no_window_through) return false;
  before_marker = nullptr;
  if (bits_remaining < 0 || next == nullptr || next >= end) return false;
  const std::ptrdiff_t available = end - next;
  if (available < kFastLoadedBytes) {
    no_window_through = end;
    return false;
  }
  const void* found = std::memchr(next, 0xFF, static_cast<std::size_t>(available));
  const auto* first_ff = found != nullptr ? static_cast<const std::uint8_t*>(found) : end;
  const std::ptrdiff_t room =
      std::min(first_ff - next - kFastConsumedBytes, available - kFastLoadedBytes);
  if (room < 0) {
    no_window_through = first_ff;
    // As DestuffedCursor sees it: a 0xFF whose stuffed 0x00 is not there to follow it.
    const bool marker = first_ff < end && (first_ff + 1 == end || first_ff[1] != 0x00);
    before_marker = marker && first_ff - next < kFastConsumedBytes ? first_ff : nullptr;
    return false;
  }
  fast_limit = next + room;
  return true;
}

// The bytes a data 0xFF and its stuffed 0x00 stand for read as the exact path reads them; a
// 0xFF not followed by 0x00 in the buffer (a marker, or its second byte not yet loaded) ends
// the copy before it, leaving that 0xFF to the exact path.
InputByteStream::BitCursor InputByteStream::DestuffedCursor() {
  BitCursor cursor;
  if (bits_remaining < 0 || next == nullptr || next >= end) return cursor;
  cursor.base = destuffed.data();
  const std::ptrdiff_t available = end - next;
  std::size_t count = 0;
  for (std::ptrdiff_t i = 0; count < kDestuffedBytes && i < available; ++count) {
    const std::uint8_t byte = next[i];
    if (byte == 0xFF && (i + 1 == available || next[i + 1] != 0x00)) break;
    destuffed[count] = byte;
    destuffed_source[count] = static_cast<std::uint8_t>(i);
    i += byte == 0xFF ? 2 : 1;
  }
  destuffed_origin = next;
  // 32 bits taken from offset limit end with the last byte copied.
  if (count >= 5) cursor.limit = static_cast<std::int64_t>(count - 4) * 8;
  cursor.Refill();
  cursor.Skip(static_cast<std::uint32_t>(8 - bits_remaining));
  return cursor;
}

// Every error in bit mode drops back to byte mode, so that no later bit read can take the
// stale current byte for a valid one.
void InputByteStream::FailInBitMode(const char* message) {
  ForgetFastWindow();
  bits_remaining = -1;
  throw StreamError(message);
}

std::uint8_t InputByteStream::ReadByte() {
  if (!RefillIfEmpty()) throw StreamError(message::kPrematureEndOfFile);
  return *next++;
}

std::uint16_t InputByteStream::ReadWord() {
  std::uint8_t bytes[2];
  if (ReadBytes(bytes, 2) != 2) throw StreamError(message::kPrematureEndOfFile);
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::size_t InputByteStream::ReadBytes(std::uint8_t* destination, std::size_t count) {
  std::size_t copied = 0;
  while (copied < count) {
    if (next >= end) {
      if (AtEndOfSource()) break;
      // A source that brings nothing without reporting its end (a read error) ends it too.
      if (!RefillIfEmpty()) break;
    }
    const std::size_t chunk = std::min(count - copied, static_cast<std::size_t>(end - next));
    std::memcpy(destination + copied, next, chunk);
    next += chunk;
    copied += chunk;
  }
  return copied;
}

bool InputByteStream::HasMoreData() const {
  return next < end || !AtEndOfSource();
}

void InputByteStream::BeginBitReading() {
  if (bits_remaining >= 0) return;
  // A scan header or restart marker may end exactly at the end of a chunk; the first
  // entropy-coded byte is then still in the source.
  ForgetFastWindow();
  if (!RefillIfEmpty()) throw StreamError(message::kPrematureEndOfFile);
  bits_remaining = 8;
}

// Moves `next` off the current byte, which is valid whenever bits_remaining >= 0. A 0xFF data
// byte is always followed by a stuffed 0x00, which is skipped with it.
void InputByteStream::AdvanceToNextByte(const char* stuffing_message) {
  if (*next == 0xFF) {
    ++next;
    if (!RefillIfEmpty()) FailInBitMode(message::kPrematureEndOfFile);
    if (*next != 0x00) FailInBitMode(stuffing_message);
  }
  ++next;
}

void InputByteStream::StartNextByte(const char* end_of_data_message, const char* stuffing_message) {
  AdvanceToNextByte(stuffing_message);
  bits_remaining = 8;
  if (!RefillIfEmpty()) FailInBitMode(end_of_data_message);
}

int InputByteStream::ReadBitOfNextByte() {
  if (bits_remaining < 0) FailInBitMode(message::kBitReadOutsideBitMode);
  if (bits_remaining == 0) {
    StartNextByte(message::kPrematureEndOfStream, message::kInvalidMarkerInCompressedData);
  }
  --bits_remaining;
  return (*next & kSingleBitMask[bits_remaining + 1]) != 0 ? 1 : 0;
}

std::uint32_t InputByteStream::ReadBitsExact(std::uint32_t count) {
  if (count > 16) FailInBitMode(message::kBitCountOutOfRange);
  if (static_cast<std::int32_t>(count) <= bits_remaining) {
    bits_remaining -= static_cast<std::int32_t>(count);
    return (*next >> bits_remaining) & kLowBitsMask[count];
  }
  if (bits_remaining < 0) FailInBitMode(message::kBitReadOutsideBitMode);

  std::uint32_t result = 0;
  if (bits_remaining > 0) {
    count -= static_cast<std::uint32_t>(bits_remaining);
    result = static_cast<std::uint32_t>(*next & kLowBitsMask[bits_remaining]) << count;
  }
  while (count > 0) {
    StartNextByte(message::kPrematureEndOfFile, message::kInvalidMarkerInCompressedStream);
    if (count < 8) {
      result |= static_cast<std::uint32_t>(*next & kHighBitsMask[count]) >> (8 - count);
      bits_remaining = static_cast<std::int32_t>(8 - count);
      return result;
    }
    result |= std::uint32_t{*next} << (count - 8);
    bits_remaining = 0;
    count -= 8;
  }
  return result;
}

void InputByteStream::EndBitReading() {
  ForgetFastWindow();
  if (bits_remaining < 0) return;
  AdvanceToNextByte(message::kInvalidMarkerInCompressedStream);
  bits_remaining = -1;
}

}  // namespace Lumarc
