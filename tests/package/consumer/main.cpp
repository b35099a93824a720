// Decodes one JPEG file through the Lumarc image library and prints what it found.
#include <lumarc/bitmap_image.h>
#include <lumarc/jpeg_decoder.h>

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: consumer FILE.jpg\n";
    return 2;
  }
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage image;
  try {
    decoder.ReadImageFile(argv[1], image);
  } catch (const Lumarc::GraphicsException& e) {
    std::cerr << "consumer: " << e.what() << '\n';
    return 1;
  }
  std::cout << "decoded " << image.Width() << " x " << image.Height() << ", " << image.BitCount()
            << " bits\n";
  return 0;
}
