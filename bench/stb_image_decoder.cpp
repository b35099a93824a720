#include "stb_image_decoder.h"

// The library's implementation lives in this one translation unit; only JPEG is wanted.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

bool DecodeWithStbImage(std::span<const std::uint8_t> bytes) {
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                          &height, &channels, 0);
  if (pixels == nullptr) return false;
  stbi_image_free(pixels);
  return true;
}
