// jpeg2bmp: decodes a JPEG (JFIF) file with the image library and writes a Windows BMP file.
#include <cstdint>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "argument_scan.h"
#include "bmp_writer.h"
#include "command_line.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "standard_streams.h"
#include "write_output.h"

namespace {

using Lumarc::BitmapImage;
using Lumarc::Tools::BmpPicture;
using Lumarc::Tools::CommandLine;
using Lumarc::Tools::kStandardStream;

std::vector<uint8_t> PaletteBytes(const BitmapImage& image) {
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < image.ColorCount(); ++i) {
    const auto& entry = image.PaletteEntry(i);
    bytes.insert(bytes.end(), {entry.blue, entry.green, entry.red});
  }
  return bytes;
}

BmpPicture DescribeForBmp(const BitmapImage& image, const std::vector<uint8_t>& palette) {
  BmpPicture picture;
  picture.width = image.Width();
  picture.height = image.Height();
  picture.bit_count = image.BitCount();
  picture.bytes_per_row = image.BytesPerRow();
  picture.palette = palette;
  picture.pixels = {image.PixelData(), size_t{image.BytesPerRow()} * image.Height()};
  return picture;
}

void DecodeInput(const CommandLine& line, BitmapImage& image) {
  Lumarc::JpegDecoder decoder;
  decoder.SetVerbose(line.verbose);
  // A trace must not mix with a picture written to standard output.
  if (line.verbose && line.output == kStandardStream) decoder.SetTraceOutput(&std::cerr);
  decoder.SetStrictJfif(line.strict);
  decoder.SetThreads(line.threads);
  if (line.input == kStandardStream) {
    decoder.ReadImage(Lumarc::Tools::ReadStandardInput(), image);
  } else {
    decoder.ReadImageFile(line.input, image);
  }
  // A stream may end without ever holding a frame; that is no picture, not an empty BMP.
  if (image.BitCount() == 0 || image.Width() == 0 || image.Height() == 0) {
    const std::string name = line.input == kStandardStream ? "standard input" : line.input;
    throw std::runtime_error(name + " holds no picture");
  }
}

void Convert(const CommandLine& line) {
  BitmapImage image;
  DecodeInput(line, image);
  std::vector<uint8_t> palette = PaletteBytes(image);
  BmpPicture picture = DescribeForBmp(image, palette);
  if (line.output != kStandardStream) {
    Lumarc::Tools::WriteOutput(line.output,
                               [&](std::ostream& out) { Lumarc::Tools::WriteBmp(out, picture); });
    return;
  }
  Lumarc::Tools::SetStandardOutputBinary();
  Lumarc::Tools::WriteBmp(std::cout, picture);
  if (!std::cout.flush()) throw std::runtime_error("cannot write standard output");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  CommandLine line = Lumarc::Tools::ParseCommandLine(args);
  switch (line.action) {
    case CommandLine::Action::kHelp:
      std::cout << Lumarc::Tools::HelpText();
      return Lumarc::Tools::kSucceeded;
    case CommandLine::Action::kUsageError:
      return Lumarc::Tools::ReportWrongUsage("jpeg2bmp", line.error, Lumarc::Tools::kUsage);
    case CommandLine::Action::kConvert:
      break;
  }
  try {
    Convert(line);
    return Lumarc::Tools::kSucceeded;
  } catch (const std::exception& e) {
    std::cout.flush();  // the trace so far comes before the error
    std::cerr << "jpeg2bmp: " << e.what() << '\n';
  } catch (...) {
    std::cerr << "jpeg2bmp: unexpected failure\n";
  }
  return Lumarc::Tools::kFailed;
}
