#include "picture_difference.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace Lumarc::Reference {
namespace {

// Our pixels are stored blue, green, red; libjpeg's come red, green, blue.
constexpr uint32_t kDibChannelOfRgb[3] = {2, 1, 0};
constexpr char kColourNames[3] = {'R', 'G', 'B'};

uint8_t OurSample(const DibPixels& ours, uint32_t x, uint32_t y, uint32_t channel) {
  size_t stored_row = ours.height - 1 - y;  // bottom-up
  uint32_t offset = ours.channels == 3 ? kDibChannelOfRgb[channel] : 0;
  return ours.bytes[stored_row * ours.bytes_per_row + size_t{x} * ours.channels + offset];
}

double Psnr(double squared_error_sum, size_t samples) {
  if (squared_error_sum == 0) return std::numeric_limits<double>::infinity();
  double mean = squared_error_sum / static_cast<double>(samples);
  return 10.0 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace

PictureDifference ComparePictures(const DibPixels& ours, const ReferencePicture& theirs,
                                  int tolerance) {
  PictureDifference result;
  double squared_error_sum = 0;
  for (uint32_t y = 0; y < theirs.height; ++y) {
    for (uint32_t x = 0; x < theirs.width; ++x) {
      for (uint32_t c = 0; c < theirs.channels; ++c) {
        int mine = OurSample(ours, x, y, c), reference = theirs.At(x, y, c);
        int difference = std::abs(mine - reference);
        squared_error_sum += double{1.0} * difference * difference;
        if (difference > result.max_abs) result.max_abs = difference;
        if (difference > tolerance && !result.first_beyond) {
          char name = theirs.channels == 3 ? kColourNames[c] : 'Y';
          result.first_beyond = SampleMismatch{x, y, name, mine, reference};
        }
      }
    }
  }
  result.psnr = Psnr(squared_error_sum, size_t{theirs.width} * theirs.height * theirs.channels);
  return result;
}

}  // namespace Lumarc::Reference
