// The verbose marker listing. Numbers are decimal except the application segment number (one
// hex digit).
#include "lumarc/marker_trace.h"

#include "lumarc/huffman_table.h"
#include "lumarc/quantization_table.h"

namespace Lumarc {

namespace {

const char* DensityUnitText(std::uint8_t unit) {
  switch (unit) {
    case 0:
      return " (aspect ratio)";
    case 1:
      return " (pixels per inch)";
    case 2:
      return " (pixels/cm)";
    default:
      return " (??]";
  }
}

}  // namespace

void MarkerTrace::Line(const char* text) {
  *out << text << std::endl;
}

void MarkerTrace::Line(const char* label, std::uint32_t value) {
  *out << label << value << std::endl;
}

void MarkerTrace::JfifHeader(const Lumarc::JfifHeader& header) {
  StartOfImage();
  Line("{ JFIF APP0 Marker");
  Line("  Length: ", header.length);
  *out << "  Version: " << unsigned{header.version_major} << "." << unsigned{header.version_minor}
       << std::endl;
  *out << "  Density Unit: " << DensityUnitText(header.density_unit) << std::endl;
  Line("  X Density: ", header.x_density);
  Line("  Y Density: ", header.y_density);
  Line("  Thumbnail Width: ", header.thumbnail_width);
  Line("  Thumbnail Height: ", header.thumbnail_height);
  SegmentEnd();
}

void MarkerTrace::StartOfImage() {
  Line("{ Start Of Image }");
}

void MarkerTrace::EndOfImage() {
  Line("{ End Of Image }");
}

void MarkerTrace::SegmentEnd() {
  Line("}");
}

void MarkerTrace::ApplicationSegment(std::uint8_t code, std::uint32_t length,
                                     const std::string& identifier) {
  if (code == 0xFE) {
    Line("( Comment Marker");
  } else {
    *out << "{ APP"
         << "0123456789abcdef"[code & 0x0F] << " Marker" << std::endl;
  }
  Line("Length: ", length);
  *out << "ID: " << identifier << std::endl;
  SegmentEnd();
}

void MarkerTrace::HuffmanSegment() {
  Line("{ Define Huffman Table");
}

void MarkerTrace::HuffmanTableHeading(std::uint32_t index, std::uint32_t table_class) {
  Line("   Table Index ", index);
  Line(table_class == 0 ? "   Table Class: DC" : "   Table Class: AC");
}

// The dumps format hundreds of numbers; unlike the other entries they are skipped without an
// output rather than formatted for nothing.
void MarkerTrace::HuffmanTableDump(const HuffmanTable& table) {
  if (!HasOutput()) return;
  table.Dump(*out);
  *out << std::dec << std::flush;
}

void MarkerTrace::QuantizationSegment(std::uint32_t length) {
  Line("{ Define Quantization Table");
  Line("  Length: ", length);
}

void MarkerTrace::QuantizationTableHeading(std::uint32_t index, std::uint32_t precision) {
  Line("  Table Index: ", index);
  Line("  Table Precision: ", precision);
}

void MarkerTrace::QuantizationValues(const QuantizationTable& table) {
  if (!HasOutput()) return;
  *out << "  Table Values: ";
  table.Dump(*out);
  *out << std::dec << std::endl;
  SegmentEnd();
}

void MarkerTrace::RestartSegment(std::uint32_t length, std::uint32_t interval) {
  Line("{ Define Restart Interval");
  Line("  Length:  ", length);
  Line("  Interval: ", interval);
  SegmentEnd();
}

void MarkerTrace::FrameHeading(std::uint32_t length, std::uint32_t precision, std::uint32_t height,
                               std::uint32_t width, std::uint32_t component_count) {
  Line("{ Start Of Frame ");
  Line("  Length: ", length);
  Line("  Precision: ", precision);
  Line("  Height: ", height);
  Line("  Width: ", width);
  Line("  Component Count: ", component_count);
}

void MarkerTrace::FrameComponent(std::uint32_t id, std::uint32_t h, std::uint32_t v,
                                 std::uint32_t tq) {
  Line("   Component ", id);
  Line("   Horizontal Frequency: ", h);
  Line("   Vertical Frequency: ", v);
  Line("   Quantization Table: ", tq);
}

void MarkerTrace::ScanHeading(std::uint32_t length) {
  Line("{ Start Of Scan ");
  Line("  Length:  ", length);
}

void MarkerTrace::ScanComponent(std::uint32_t id, std::uint32_t dc, std::uint32_t ac) {
  Line("  Component ID: ", id);
  Line("  DC Entropy Table: ", dc);
  Line("  AC Entropy Table: ", ac);
}

void MarkerTrace::ScanParameters(std::uint32_t ss, std::uint32_t se, std::uint32_t ah,
                                 std::uint32_t al) {
  Line(" Spectral Selection Start: ", ss);
  Line(" Spectral Selection End: ", se);
  Line(" Successive Approximation High: ", ah);
  Line(" Successive Approximation Low: ", al);
}

void MarkerTrace::ReadPlan(const char* plan, std::uint32_t threads) {
  *out << "{ Read Plan: " << plan << ", " << threads << (threads == 1 ? " thread }" : " threads }")
       << std::endl;
}

}  // namespace Lumarc
