#include "decode_outcome.h"

#include <new>
#include <sstream>
#include <typeinfo>

#include "lumarc/bitmap_image.h"
#include "lumarc/graphics_exception.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/memory_input_byte_stream.h"

BitmapContents ContentsOf(const Lumarc::BitmapImage& bitmap) {
  BitmapContents contents{bitmap.Width(), bitmap.Height(), bitmap.BitCount(), {}};
  if (const std::uint8_t* pixels = bitmap.PixelData()) {
    contents.pixels.assign(pixels, pixels + std::size_t{bitmap.BytesPerRow()} * bitmap.Height());
  }
  return contents;
}

DecodeOutcome DecodeForFuzzing(std::span<const std::uint8_t> image, bool verbose, bool strict,
                               Lumarc::DecodePath path) {
  Lumarc::MemoryInputByteStream stream(image);
  Lumarc::BitmapImage bitmap;
  Lumarc::JpegDecoder decoder;
  Lumarc::ReaderOf(decoder).SetDecodePath(path);
  std::ostringstream listing;
  if (verbose) decoder.SetTraceOutput(&listing);
  decoder.SetStrictJfif(strict);
  decoder.SetMemoryLimit(kFuzzMemoryLimit);
  DecodeOutcome outcome;
  try {
    ReaderOf(decoder).ReadImage(stream, bitmap);
  } catch (const Lumarc::GraphicsException& error) {
    outcome.error = std::string(typeid(error).name()) + ": " + error.what();
    outcome.message = error.what();
  } catch (const Lumarc::InputByteStream::StreamError& error) {
    outcome.error = std::string("StreamError: ") + error.what();
    outcome.message = error.what();
  } catch (const std::bad_alloc&) {
    outcome.error = outcome.message = "bad_alloc";
  }
  outcome.listing = listing.str();
  outcome.position = stream.GetPosition();
  outcome.bitmap = ContentsOf(bitmap);
  return outcome;
}
