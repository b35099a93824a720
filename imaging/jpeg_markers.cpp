// The marker level of the decoder: the stream header, the dispatch of marker codes, and the
// table, restart-interval and application segments.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

namespace {

using JpegBadStream = JpegDecoder::JpegBadStream;

// The longest application or comment identifier kept for the listing.
constexpr std::uint32_t kMaxIdentifierLength = 512;

// Skips count bytes, fewer when the stream ends first (the marker loop then meets the end).
void SkipBytes(InputByteStream& stream, std::uint32_t count) {
  std::array<std::uint8_t, 256> scratch;
  while (count > 0) {
    const std::size_t wanted = std::min<std::size_t>(count, scratch.size());
    const std::size_t got = stream.ReadBytes(scratch.data(), wanted);
    if (got < wanted) return;
    count -= static_cast<std::uint32_t>(got);
  }
}

// Segment lengths count their own two bytes, so no segment can be shorter than 2.
std::uint32_t ReadSegmentLength(InputByteStream& stream) {
  const std::uint32_t length = stream.ReadWord();
  if (length < 2) throw JpegBadStream(message::kInvalidSegmentLength);
  return length;
}

std::uint16_t BigEndian(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

}  // namespace

JpegReader::JpegReader(JpegDecoder& owner) : owner(owner) {}
JpegReader::~JpegReader() = default;

// One worker is all the split between entropy decoding and reconstruction can use.
void JpegReader::SetThreads(unsigned count) {
  use_worker = count >= 2;
  if (!use_worker) worker.reset();
}

FrameGeometry JpegReader::Geometry() const {
  return {image_width, image_height, max_horizontal_frequency, max_vertical_frequency, mcu_rows,
          mcu_cols,    progressive};
}

void JpegReader::ReadJfifHeader(InputByteStream& stream) {
  if (stream.ReadByte() != 0xFF || stream.ReadByte() != 0xD8) {
    throw JpegBadStream(message::kMissingSoiMarker);
  }
  if (stream.ReadByte() != 0xFF || stream.ReadByte() != 0xE0) {
    throw JpegBadStream(message::kMissingJfifApp0Marker);
  }
  // Length, identifier (5), version (2), density unit, X and Y density (2 each), thumbnail
  // width and height. A short stream leaves zeros, which fail the identifier test.
  std::array<std::uint8_t, 16> block{};
  stream.ReadBytes(block.data(), block.size());
  if (std::memcmp(&block[2], "JFIF", 4) != 0) throw JpegBadStream(message::kNotAJfifFile);
  const JfifHeader header{
      BigEndian(&block[0]),  block[7],  block[8], block[9], BigEndian(&block[10]),
      BigEndian(&block[12]), block[14], block[15]};
  trace.JfifHeader(header);
  // The thumbnail, and anything else in the segment, is skipped by the length alone.
  if (header.length > block.size()) SkipBytes(stream, header.length - block.size());
}

void JpegReader::ProcessMarker(InputByteStream& stream) {
  std::uint8_t code = 0xFF;
  while (code == 0xFF) {  // any number of fill bytes may precede the code
    if (!TryReadByte(stream, code)) throw JpegBadStream(message::kPrematureEndOfFile);
  }
  switch (code) {
    case 0xC0:
    case 0xC1:
    case 0xC2:
      return ReadFrameHeader(stream, code);
    case 0xC3:
      throw JpegBadStream(message::kLosslessNotSupported);
    case 0xC4:
      return ReadHuffmanSegment(stream);
    case 0xC5:
      throw JpegBadStream(message::kDifferentialSequentialNotSupported);
    case 0xC6:
      throw JpegBadStream(message::kDifferentialProgressiveNotSupported);
    case 0xC7:
      throw JpegBadStream(message::kDifferentialLosslessNotSupported);
    case 0xC9:
    case 0xCA:
    case 0xCB:
    case 0xCD:
    case 0xCE:
    case 0xCF:
      throw JpegBadStream(message::kArithmeticCodingNotSupported);
    case 0xD8:
      trace.StartOfImage();
      return;
    case 0xD9:
      eoi_found = true;
      trace.EndOfImage();
      return;
    case 0xDA:
      return ReadScanHeader(stream);
    case 0xDB:
      return ReadQuantizationSegment(stream);
    case 0xDD:
      return ReadRestartSegment(stream);
    case 0xDE:
      throw JpegBadStream(message::kDhpNotSupported);
    default:
      if ((code >= 0xE0 && code <= 0xEF) || code == 0xFE) {
        return SkipApplicationSegment(code, stream);
      }
      throw JpegBadStream(message::kUnknownMarker);
  }
}

// Nothing of the segment is kept; its identifier (the payload up to its first 0 byte) only
// serves the listing. A segment of length 2 has no payload and no identifier byte to read.
void JpegReader::SkipApplicationSegment(std::uint8_t code, InputByteStream& stream) {
  const std::uint32_t length = ReadSegmentLength(stream);
  const std::uint32_t payload = length - 2;
  std::string identifier;
  std::uint32_t consumed = 0;
  while (consumed < payload && consumed < kMaxIdentifierLength) {
    const std::uint8_t byte = stream.ReadByte();
    ++consumed;
    if (byte == 0) break;
    identifier.push_back(static_cast<char>(byte));
  }
  SkipBytes(stream, payload - consumed);
  trace.ApplicationSegment(code, length, identifier);
}

// The length is only counted down: a segment whose last table runs past its length ends there,
// and the marker level goes on after that table's last byte.
void JpegReader::ReadHuffmanSegment(InputByteStream& stream) {
  trace.HuffmanSegment();
  std::int32_t remaining = static_cast<std::int32_t>(ReadSegmentLength(stream)) - 2;
  while (remaining > 0) {
    const std::uint8_t class_index = stream.ReadByte();
    --remaining;
    const std::uint32_t table_class = class_index >> 4;
    const std::uint32_t index = class_index & 0x0F;
    if (index >= kTableCount) throw JpegBadStream(message::kHuffmanTableIndexOutOfRange);
    trace.HuffmanTableHeading(index, table_class);
    // Class 0 is DC; every other class value means AC.
    HuffmanTable& table = table_class == 0 ? dc_tables[index] : ac_tables[index];
    const auto use =
        table_class == 0 ? HuffmanTable::Use::kDcDifferences : HuffmanTable::Use::kAcCoefficients;
    remaining -= static_cast<std::int32_t>(table.ReadTable(stream, use));
    trace.HuffmanTableDump(table);
  }
  trace.SegmentEnd();
}

void JpegReader::ReadQuantizationSegment(InputByteStream& stream) {
  const std::uint32_t length = ReadSegmentLength(stream);
  trace.QuantizationSegment(length);
  std::int32_t remaining = static_cast<std::int32_t>(length) - 2;
  while (remaining > 0) {
    const std::uint8_t precision_index = stream.ReadByte();
    --remaining;
    const std::uint32_t precision = precision_index >> 4;
    const std::uint32_t index = precision_index & 0x0F;
    if (index >= kTableCount) throw JpegBadStream(message::kQuantizationTableIndexTooLarge);
    trace.QuantizationTableHeading(index, precision);
    if (precision == 0) remaining -= 64;
    if (precision == 1) remaining -= 128;
    quantization_tables[index].ReadTable(stream, precision);
    trace.QuantizationValues(quantization_tables[index]);
  }
}

// The interval stays in force for every later scan of the image until another DRI changes it.
void JpegReader::ReadRestartSegment(InputByteStream& stream) {
  const std::uint32_t length = stream.ReadWord();
  restart_interval = stream.ReadWord();
  trace.RestartSegment(length, restart_interval);
}

bool JpegReader::TryReadByte(InputByteStream& stream, std::uint8_t& byte) {
  return stream.ReadBytes(&byte, 1) == 1;
}

}  // namespace Lumarc
