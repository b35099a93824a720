#pragma once

// Builds small JPEG streams in code, segment by segment, for decoder tests. Entropy-coded data
// is written with "flat" Huffman tables: symbols 0 to 254 all have 8-bit codes equal to the
// symbol, so a symbol is written as its own byte value and tests can place every bit exactly.

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace lumarc_test {

using Bytes = std::vector<std::uint8_t>;

// Entropy-coded data, most significant bit first, with a 0x00 stuffed after every 0xFF byte and
// the last byte padded with 1 bits.
class BitWriter {
 public:
  BitWriter& Bits(std::uint32_t value, int count);
  // One symbol of a flat table.
  BitWriter& Symbol(std::uint8_t symbol) { return Bits(symbol, 8); }
  // A DC difference: its size category as a symbol, then its extra bits.
  BitWriter& Dc(int difference);
  // An AC coefficient after `run` zeros (run/size symbol, then the extra bits).
  BitWriter& Ac(int run, int value);
  BitWriter& Eob() { return Symbol(0x00); }
  BitWriter& Zrl() { return Symbol(0xF0); }
  // End of band run EOBr: symbol r << 4, then r extra bits.
  BitWriter& EobRun(int r, std::uint32_t extra);
  Bytes Finish();

 private:
  Bytes bytes_;
  std::uint32_t current_ = 0;
  int filled_ = 0;
};

struct FrameComponent {
  std::uint8_t id;
  std::uint8_t h;
  std::uint8_t v;
  std::uint8_t tq;
};

struct ScanComponent {
  std::uint8_t id;
  std::uint8_t td;
  std::uint8_t ta;
};

// Size category and extra bits of a DC difference or AC value, as T.81 codes them.
int SizeOf(int value);
std::uint32_t ExtraBits(int value);

class JpegBuilder {
 public:
  JpegBuilder& Soi() { return Raw({0xFF, 0xD8}); }
  // JFIF APP0 of length 16 with version 1.2, density unit `unit`, densities 72, no thumbnail.
  JpegBuilder& App0(std::uint8_t unit = 0);
  // A DQT with one 8-bit table of 64 equal values.
  JpegBuilder& Dqt(std::uint8_t index, std::uint8_t value = 1);
  // A DHT with one flat table; table_class 0 is DC, 1 is AC.
  JpegBuilder& FlatDht(std::uint8_t table_class, std::uint8_t index);
  // DC table 0 and AC table 0, both flat.
  JpegBuilder& FlatTables() { return FlatDht(0, 0).FlatDht(1, 0); }
  JpegBuilder& Dri(std::uint16_t interval);
  JpegBuilder& Sof(std::uint8_t code, std::uint16_t width, std::uint16_t height,
                   std::initializer_list<FrameComponent> components);
  JpegBuilder& Sos(std::initializer_list<ScanComponent> components, std::uint8_t ss = 0,
                   std::uint8_t se = 63, std::uint8_t ah = 0, std::uint8_t al = 0);
  JpegBuilder& Data(const Bytes& data) { return Raw(data); }
  JpegBuilder& Rst(int n) { return Raw({0xFF, static_cast<std::uint8_t>(0xD0 + n)}); }
  JpegBuilder& Eoi() { return Raw({0xFF, 0xD9}); }
  // A marker segment: 0xFF, code, length (payload + 2), payload.
  JpegBuilder& Segment(std::uint8_t code, const Bytes& payload);
  JpegBuilder& Raw(const Bytes& bytes);

  // SOI, APP0, DQT 0 of ones and the two flat tables: what every test stream starts with.
  JpegBuilder& Header() { return Soi().App0().Dqt(0).FlatTables(); }

  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// The DC coefficient that decodes to a flat block of `level` with quantization value 1:
// samples are floor((512 D + 526336) / 4096), that is 128 + D / 8 for multiples of 8.
inline int DcForLevel(int level) {
  return 8 * (level - 128);
}

}  // namespace lumarc_test

namespace Lumarc {
class BitmapImage;
class JpegDecoder;
}  // namespace Lumarc

namespace lumarc_test {

// Decodes bytes through a memory stream that knows its end as soon as it has loaded them.
void DecodeBytes(Lumarc::JpegDecoder& decoder, const Bytes& bytes, Lumarc::BitmapImage& bitmap);

// How a read ended: the exception's type ("JpegBadStream", "JpegError", "StreamError") and
// message, or "none".
struct Outcome {
  std::string type;
  std::string message;
  bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& outcome, std::ostream* out);
Outcome DecodeOutcome(Lumarc::JpegDecoder& decoder, const Bytes& bytes,
                      Lumarc::BitmapImage& bitmap);

// Pixels of a decoded bitmap, (x, y) with y = 0 the top row.
std::uint8_t GrayAt(const Lumarc::BitmapImage& bitmap, std::uint32_t x, std::uint32_t y);
struct Bgr {
  int blue;
  int green;
  int red;
  bool operator==(const Bgr&) const = default;
};
Bgr ColorAt(const Lumarc::BitmapImage& bitmap, std::uint32_t x, std::uint32_t y);

// An 8 x 8 grey baseline stream of one flat block of `level`, ending with EOI.
JpegBuilder FlatGrayStream(int level = 128);

}  // namespace lumarc_test
