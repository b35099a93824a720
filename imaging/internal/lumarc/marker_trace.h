#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace Lumarc {

class HuffmanTable;
class QuantizationTable;

// The JFIF APP0 fields the listing shows.
struct JfifHeader {
  std::uint16_t length;
  std::uint8_t version_major;
  std::uint8_t version_minor;
  std::uint8_t density_unit;
  std::uint16_t x_density;
  std::uint16_t y_density;
  std::uint8_t thumbnail_width;
  std::uint8_t thumbnail_height;
};

// The verbose listing of the marker segments a read meets, one entry per piece of a segment.
// Each line is flushed as it ends. Without an output every entry goes to a stream that has no
// buffer and drops it, so the marker handlers call the entries unconditionally.
class MarkerTrace {
 public:
  MarkerTrace() = default;
  MarkerTrace(const MarkerTrace&) = delete;
  MarkerTrace& operator=(const MarkerTrace&) = delete;

  // Null silences the listing.
  void SetOutput(std::ostream* output) { out = output != nullptr ? output : &discard; }
  bool HasOutput() const { return out != &discard; }

  void JfifHeader(const Lumarc::JfifHeader& header);
  void StartOfImage();
  void EndOfImage();
  // The closing line of a segment: "}".
  void SegmentEnd();
  void ApplicationSegment(std::uint8_t code, std::uint32_t length, const std::string& identifier);
  void HuffmanSegment();
  void HuffmanTableHeading(std::uint32_t index, std::uint32_t table_class);
  void HuffmanTableDump(const HuffmanTable& table);
  void QuantizationSegment(std::uint32_t length);
  void QuantizationTableHeading(std::uint32_t index, std::uint32_t precision);
  // The values and the closing line: one per table, not per segment.
  void QuantizationValues(const QuantizationTable& table);
  void RestartSegment(std::uint32_t length, std::uint32_t interval);
  void FrameHeading(std::uint32_t length, std::uint32_t precision, std::uint32_t height,
                    std::uint32_t width, std::uint32_t component_count);
  void FrameComponent(std::uint32_t id, std::uint32_t h, std::uint32_t v, std::uint32_t tq);
  void ScanHeading(std::uint32_t length);
  void ScanComponent(std::uint32_t id, std::uint32_t dc, std::uint32_t ac);
  void ScanParameters(std::uint32_t ss, std::uint32_t se, std::uint32_t ah, std::uint32_t al);
  // How the read goes on from its first scan: "{ Read Plan: whole grid, 1 thread }".
  void ReadPlan(const char* plan, std::uint32_t threads);

 private:
  void Line(const char* text);
  void Line(const char* label, std::uint32_t value);

  std::ostream discard{nullptr};
  std::ostream* out = &discard;
};

}  // namespace Lumarc
