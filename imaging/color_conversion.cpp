// Copies the sample planes of the components into the bitmap: directly for greyscale, through
// the JFIF YCbCr to RGB conversion for colour. Image row i (0 = top) is stored row height-1-i.
#include "lumarc/bitmap_image.h"
#include "lumarc/color_tables.h"
#include "lumarc/image_component.h"

namespace Lumarc {

namespace {

using namespace color_tables;

// The plane covers whole MCUs, so it is at least as large as the image; a component whose
// plane does not cover the bitmap (no scan reached it) leaves the bitmap alone.
bool PlaneCovers(const ImageComponent& component, const BitmapImage& bitmap) {
  return component.UpsampledSamples() != nullptr && bitmap.PixelData() != nullptr &&
         component.PlaneRowLength() >= bitmap.Width() && component.PlaneRows() >= bitmap.Height();
}

}  // namespace

void ConvertGrayscale(const ImageComponent& component, BitmapImage& bitmap) {
  if (!PlaneCovers(component, bitmap)) return;
  const std::uint32_t row_length = component.PlaneRowLength();
  for (std::uint32_t i = 0; i < bitmap.Height(); ++i) {
    const std::uint8_t* samples = component.UpsampledSamples() + std::size_t{i} * row_length;
    std::uint8_t* out = bitmap.PictureRow(i);
    for (std::uint32_t j = 0; j < bitmap.Width(); ++j) out[j] = samples[j];
  }
}

void ConvertYCbCr(const ImageComponent& y, const ImageComponent& cb, const ImageComponent& cr,
                  BitmapImage& bitmap) {
  if (!PlaneCovers(y, bitmap) || !PlaneCovers(cb, bitmap) || !PlaneCovers(cr, bitmap)) return;
  // Whole sampling ratios give every plane the same row length, so one index serves all three.
  const std::uint32_t row_length = y.PlaneRowLength();
  if (cb.PlaneRowLength() != row_length || cr.PlaneRowLength() != row_length) return;
  for (std::uint32_t i = 0; i < bitmap.Height(); ++i) {
    const std::size_t first = std::size_t{i} * row_length;
    const std::uint8_t* ys = y.UpsampledSamples() + first;
    const std::uint8_t* cbs = cb.UpsampledSamples() + first;
    const std::uint8_t* crs = cr.UpsampledSamples() + first;
    std::uint8_t* out = bitmap.PictureRow(i);
    for (std::uint32_t j = 0; j < bitmap.Width(); ++j) {
      const std::int32_t luma = ys[j];
      const std::int32_t green = luma - GreenTerm(cbs[j], crs[j]);
      out[3 * j] = Clamp(luma + kBlueFromCb[cbs[j]]);
      out[3 * j + 1] = Clamp(green);
      out[3 * j + 2] = Clamp(luma + kRedFromCr[crs[j]]);
    }
  }
}

}  // namespace Lumarc
