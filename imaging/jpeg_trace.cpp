// The verbose marker listing: every line the decoder writes to standard output, each flushed as
// it ends. Numbers are decimal except the application segment number (one hex digit).
#include <iostream>

#include "lumarc/huffman_table.h"
#include "lumarc/jpeg_decoder.h"
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

void Line(const char* label, std::uint32_t value) {
  std::cout << label << value << std::endl;
}

}  // namespace

void JpegDecoder::TraceLine(const char* text) {
  std::cout << text << std::endl;
}

void JpegDecoder::TraceJfifHeader(const JfifHeader& header) {
  TraceLine("{ Start Of Image }");
  TraceLine("{ JFIF APP0 Marker");
  Line("  Length: ", header.length);
  std::cout << "  Version: " << unsigned{header.version_major} << "."
            << unsigned{header.version_minor} << std::endl;
  std::cout << "  Density Unit: " << DensityUnitText(header.density_unit) << std::endl;
  Line("  X Density: ", header.x_density);
  Line("  Y Density: ", header.y_density);
  Line("  Thumbnail Width: ", header.thumbnail_width);
  Line("  Thumbnail Height: ", header.thumbnail_height);
  TraceLine("}");
}

void JpegDecoder::TraceApplicationSegment(std::uint8_t code, std::uint32_t length,
                                          const std::string& identifier) {
  if (code == 0xFE) {
    TraceLine("( Comment Marker");
  } else {
    std::cout << "{ APP"
              << "0123456789abcdef"[code & 0x0F] << " Marker" << std::endl;
  }
  Line("Length: ", length);
  std::cout << "ID: " << identifier << std::endl;
  TraceLine("}");
}

void JpegDecoder::TraceHuffmanTable(std::uint32_t index, std::uint32_t table_class) {
  Line("   Table Index ", index);
  TraceLine(table_class == 0 ? "   Table Class: DC" : "   Table Class: AC");
}

void JpegDecoder::TraceHuffmanDump(const HuffmanTable& table) {
  table.Dump(std::cout);
  std::cout << std::dec << std::flush;
}

void JpegDecoder::TraceQuantizationSegment(std::uint32_t length) {
  TraceLine("{ Define Quantization Table");
  Line("  Length: ", length);
}

void JpegDecoder::TraceQuantizationTable(std::uint32_t index, std::uint32_t precision) {
  Line("  Table Index: ", index);
  Line("  Table Precision: ", precision);
}

// One closing line per table, not per segment.
void JpegDecoder::TraceQuantizationValues(const QuantizationTable& table) {
  std::cout << "  Table Values: ";
  table.Dump(std::cout);
  std::cout << std::dec << std::endl;
  TraceLine("}");
}

void JpegDecoder::TraceRestartSegment(std::uint32_t length, std::uint32_t interval) {
  TraceLine("{ Define Restart Interval");
  Line("  Length:  ", length);
  Line("  Interval: ", interval);
  TraceLine("}");
}

void JpegDecoder::TraceFrameHeading(std::uint32_t length, std::uint32_t precision) const {
  TraceLine("{ Start Of Frame ");
  Line("  Length: ", length);
  Line("  Precision: ", precision);
  Line("  Height: ", image_height);
  Line("  Width: ", image_width);
  Line("  Component Count: ", component_count);
}

void JpegDecoder::TraceFrameComponent(std::uint32_t id, std::uint32_t h, std::uint32_t v,
                                      std::uint32_t tq) {
  Line("   Component ", id);
  Line("   Horizontal Frequency: ", h);
  Line("   Vertical Frequency: ", v);
  Line("   Quantization Table: ", tq);
}

void JpegDecoder::TraceScanHeading(std::uint32_t length) {
  TraceLine("{ Start Of Scan ");
  Line("  Length:  ", length);
}

void JpegDecoder::TraceScanComponent(std::uint32_t id, std::uint32_t dc, std::uint32_t ac) {
  Line("  Component ID: ", id);
  Line("  DC Entropy Table: ", dc);
  Line("  AC Entropy Table: ", ac);
}

void JpegDecoder::TraceScanParameters(std::uint32_t ss, std::uint32_t se, std::uint32_t ah,
                                      std::uint32_t al) {
  Line(" Spectral Selection Start: ", ss);
  Line(" Spectral Selection End: ", se);
  Line(" Successive Approximation High: ", ah);
  Line(" Successive Approximation Low: ", al);
}

}  // namespace Lumarc
