#include "jpeg_stream_builder.h"

#include <cstdlib>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"

namespace lumarc_test {

int SizeOf(int value) {
  int magnitude = std::abs(value);
  int size = 0;
  while (magnitude != 0) {
    ++size;
    magnitude >>= 1;
  }
  return size;
}

// Negative values are sent as value - 1 in `size` bits (T.81 F.1.2.1).
std::uint32_t ExtraBits(int value) {
  const int size = SizeOf(value);
  const int bits = value >= 0 ? value : value + (1 << size) - 1;
  return static_cast<std::uint32_t>(bits);
}

BitWriter& BitWriter::Bits(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    current_ = current_ << 1 | ((value >> i) & 1);
    if (++filled_ == 8) {
      bytes_.push_back(static_cast<std::uint8_t>(current_));
      if (current_ == 0xFF) bytes_.push_back(0x00);
      current_ = 0;
      filled_ = 0;
    }
  }
  return *this;
}

BitWriter& BitWriter::Dc(int difference) {
  const int size = SizeOf(difference);
  return Symbol(static_cast<std::uint8_t>(size)).Bits(ExtraBits(difference), size);
}

BitWriter& BitWriter::Ac(int run, int value) {
  const int size = SizeOf(value);
  return Symbol(static_cast<std::uint8_t>(run << 4 | size)).Bits(ExtraBits(value), size);
}

BitWriter& BitWriter::EobRun(int r, std::uint32_t extra) {
  return Symbol(static_cast<std::uint8_t>(r << 4)).Bits(extra, r);
}

Bytes BitWriter::Finish() {
  while (filled_ != 0) Bits(1, 1);
  return bytes_;
}

JpegBuilder& JpegBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

JpegBuilder& JpegBuilder::Segment(std::uint8_t code, const Bytes& payload) {
  const std::size_t length = payload.size() + 2;
  Raw({0xFF, code, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
  return Raw(payload);
}

JpegBuilder& JpegBuilder::App0(std::uint8_t unit) {
  return Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 2, unit, 0, 72, 0, 72, 0, 0});
}

JpegBuilder& JpegBuilder::Dqt(std::uint8_t index, std::uint8_t value) {
  Bytes payload{index};
  payload.insert(payload.end(), 64, value);
  return Segment(0xDB, payload);
}

// 255 codes of length 8: code c stands for symbol c.
JpegBuilder& JpegBuilder::FlatDht(std::uint8_t table_class, std::uint8_t index) {
  Bytes payload{static_cast<std::uint8_t>(table_class << 4 | index)};
  for (int length = 1; length <= 16; ++length) payload.push_back(length == 8 ? 255 : 0);
  for (int symbol = 0; symbol < 255; ++symbol) payload.push_back(static_cast<std::uint8_t>(symbol));
  return Segment(0xC4, payload);
}

JpegBuilder& JpegBuilder::Dri(std::uint16_t interval) {
  return Segment(0xDD,
                 {static_cast<std::uint8_t>(interval >> 8), static_cast<std::uint8_t>(interval)});
}

JpegBuilder& JpegBuilder::Sof(std::uint8_t code, std::uint16_t width, std::uint16_t height,
                              std::initializer_list<FrameComponent> components) {
  Bytes payload{8,
                static_cast<std::uint8_t>(height >> 8),
                static_cast<std::uint8_t>(height),
                static_cast<std::uint8_t>(width >> 8),
                static_cast<std::uint8_t>(width),
                static_cast<std::uint8_t>(components.size())};
  for (const FrameComponent& c : components) {
    payload.insert(payload.end(), {c.id, static_cast<std::uint8_t>(c.h << 4 | c.v), c.tq});
  }
  return Segment(code, payload);
}

JpegBuilder& JpegBuilder::Sos(std::initializer_list<ScanComponent> components, std::uint8_t ss,
                              std::uint8_t se, std::uint8_t ah, std::uint8_t al) {
  Bytes payload{static_cast<std::uint8_t>(components.size())};
  for (const ScanComponent& c : components) {
    payload.insert(payload.end(), {c.id, static_cast<std::uint8_t>(c.td << 4 | c.ta)});
  }
  payload.insert(payload.end(), {ss, se, static_cast<std::uint8_t>(ah << 4 | al)});
  return Segment(0xDA, payload);
}

}  // namespace lumarc_test

namespace lumarc_test {

void DecodeBytes(Lumarc::JpegDecoder& decoder, const Bytes& bytes, Lumarc::BitmapImage& bitmap) {
  Lumarc::MemoryInputByteStream stream(bytes, bytes.size() + 1);
  ReaderOf(decoder).ReadImage(stream, bitmap);
}

Outcome DecodeOutcome(Lumarc::JpegDecoder& decoder, const Bytes& bytes,
                      Lumarc::BitmapImage& bitmap) {
  try {
    DecodeBytes(decoder, bytes, bitmap);
  } catch (const Lumarc::JpegDecoder::JpegBadStream& error) {
    return {"JpegBadStream", error.what()};
  } catch (const Lumarc::JpegDecoder::JpegError& error) {
    return {"JpegError", error.what()};
  } catch (const Lumarc::InputByteStream::StreamError& error) {
    return {"StreamError", error.what()};
  }
  return {"none", ""};
}

void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << outcome.type << " \"" << outcome.message << "\"";
}

std::uint8_t GrayAt(const Lumarc::BitmapImage& bitmap, std::uint32_t x, std::uint32_t y) {
  return bitmap.PixelData()[std::size_t{bitmap.Height() - 1 - y} * bitmap.BytesPerRow() + x];
}

Bgr ColorAt(const Lumarc::BitmapImage& bitmap, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* pixel =
      bitmap.PixelData() + std::size_t{bitmap.Height() - 1 - y} * bitmap.BytesPerRow() + 3 * x;
  return {pixel[0], pixel[1], pixel[2]};
}

JpegBuilder FlatGrayStream(int level) {
  JpegBuilder builder;
  builder.Header()
      .Sof(0xC0, 8, 8, {{1, 1, 1, 0}})
      .Sos({{1, 0, 0}})
      .Data(BitWriter().Dc(DcForLevel(level)).Eob().Finish())
      .Eoi();
  return builder;
}

}  // namespace lumarc_test
