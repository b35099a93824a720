// Writes the bitmap straight from the components' blocks, one image row at a time. The pixels
// are exactly those of Upsample followed by ConvertGrayscale or ConvertYCbCr, but no
// full-resolution plane is made (for a 4000 x 3000 colour picture that is 36 MB), each
// chrominance sample's colour terms are computed once rather than once per pixel it covers,
// and every byte of the bitmap is written once. The usual layouts (full-resolution luminance,
// chrominance at full or half width and any height) are read in place, rows that share their
// chrominance converted in one pass; the rest go through one row of samples per component.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/block_row.h"
#include "lumarc/color_conversion_avx2.h"
#include "lumarc/color_tables.h"
#include "lumarc/image_component.h"

namespace Lumarc {

namespace {

using namespace color_tables;

// Where Upsample would make a plane (blocks exist, the grid is not empty) that covers the
// bitmap, as the plane-based conversions require.
bool BlocksCover(const ImageComponent& component, const BitmapImage& bitmap) {
  return component.HasDataUnits() && component.PlaneRowLength() != 0 &&
         component.PlaneRows() != 0 && bitmap.PixelData() != nullptr &&
         component.PlaneRowLength() >= bitmap.Width() && component.PlaneRows() >= bitmap.Height();
}

// One row of a component's samples at its own resolution: the row that feeds image row
// image_row, holding at least the count samples that the bitmap's width needs.
class SourceRow {
 public:
  SourceRow(const ImageComponent& component, std::uint32_t width)
      : component(component),
        count((width + component.HorizontalFactor() - 1) / component.HorizontalFactor()),
        samples((count + 7) / 8 * 8) {}

  // True when image_row needs another source row than the last one read.
  bool Read(std::uint32_t image_row) {
    const std::uint32_t source = image_row / component.VerticalFactor();
    if (source == current) return false;
    current = source;
    const DataUnit* units = &component.DataUnitAt(source / 8, 0);
    const std::uint32_t offset = 8 * (source % 8);
    for (std::uint32_t q = 0; 8 * q < count; ++q) {
      std::memcpy(&samples[8 * q], &units[q].samples[offset], 8);
    }
    return true;
  }
  const std::uint8_t* Samples() const { return samples.data(); }
  std::uint32_t Count() const { return count; }
  std::uint32_t Factor() const { return component.HorizontalFactor(); }

 private:
  const ImageComponent& component;
  std::uint32_t count;
  std::vector<std::uint8_t> samples;
  std::uint32_t current = UINT32_MAX;
};

// The colour terms of one row of chrominance samples, at their resolution.
struct ChromaTerms {
  explicit ChromaTerms(std::uint32_t count) : blue(count), green(count), red(count) {}

  void Compute(const std::uint8_t* cb, const std::uint8_t* cr, std::uint32_t count) {
    std::uint32_t x = 0;
#if LUMARC_X86_SIMD
    if (inverse_dct_detail::Avx2Available()) {
      x = ComputeTermsAvx2(cb, cr, count, blue.data(), green.data(), red.data());
    }
#endif
    for (; x < count; ++x) {
      blue[x] = static_cast<std::int16_t>(kBlueFromCb[cb[x]]);
      green[x] = static_cast<std::int16_t>(GreenTerm(cb[x], cr[x]));
      red[x] = static_cast<std::int16_t>(kRedFromCr[cr[x]]);
    }
  }

  std::vector<std::int16_t> blue;
  std::vector<std::int16_t> green;
  std::vector<std::int16_t> red;
};

// One bitmap row from a row of samples per component, terms computed at the chrominance
// resolution: any repeat counts.
void ConvertRow(const SourceRow& luma, const ChromaTerms& terms, std::uint32_t chroma_factor,
                std::uint32_t width, std::uint8_t* out) {
  for (std::uint32_t j = 0; j < width; ++j) {
    const std::int32_t y = luma.Samples()[j / luma.Factor()];
    const std::uint32_t c = j / chroma_factor;
    out[3 * j] = Clamp(y + terms.blue[c]);
    out[3 * j + 1] = Clamp(y - terms.green[c]);
    out[3 * j + 2] = Clamp(y + terms.red[c]);
  }
}

// Chrominance components with different factors are brought to full resolution, where their
// samples pair up pixel by pixel.
void ExpandToFullResolution(const SourceRow& row, std::uint32_t width, std::uint8_t* out) {
  for (std::uint32_t j = 0; j < width; ++j) out[j] = row.Samples()[j / row.Factor()];
}

// Without repeats, each block's sample row goes straight into the bitmap row.
void CopyBlockRows(const ImageComponent& component, BitmapImage& bitmap, RowRange rows) {
  const std::uint32_t width = bitmap.Width();
  const std::uint32_t whole_blocks = width / 8;
  for (std::uint32_t i = rows.first; i < rows.end; ++i) {
    std::uint8_t* out = bitmap.PictureRow(i);
    const DataUnit* units = &component.DataUnitAt(i / 8, 0);
    const std::uint32_t offset = 8 * (i % 8);
    // Four blocks a step: with one 8-byte copy per block, the loop's own counting would cost as
    // much as the copies.
    std::uint32_t q = 0;
    for (; q + 4 <= whole_blocks; q += 4) {
      for (std::uint32_t k = q; k < q + 4; ++k) {
        std::memcpy(out + 8 * k, &units[k].samples[offset], 8);
      }
    }
    for (; q < whole_blocks; ++q) std::memcpy(out + 8 * q, &units[q].samples[offset], 8);
    if (width % 8 != 0) {
      std::memcpy(out + 8 * whole_blocks, &units[whole_blocks].samples[offset], width % 8);
    }
  }
}

// The row of a component's blocks that holds the samples of image row image_row.
BlockRow RowOf(const ImageComponent& component, std::uint32_t image_row) {
  const std::uint32_t source = image_row / component.VerticalFactor();
  return {&component.DataUnitAt(source / 8, 0), 8 * (source % 8)};
}

// Luminance at full resolution and both chrominance components at the same resolution, one or
// two pixels wide: the layouts encoders write, converted from the blocks in place.
bool ReadsInPlace(const ImageComponent& y, const ImageComponent& cb, const ImageComponent& cr) {
  return y.HorizontalFactor() == 1 && y.VerticalFactor() == 1 &&
         cb.HorizontalFactor() == cr.HorizontalFactor() &&
         cb.VerticalFactor() == cr.VerticalFactor() && cb.HorizontalFactor() <= 2;
}

// Pixels from..width - 1 of one row, pixel by pixel: the end of a row after the vector code.
void ConvertPixels(BlockRow luma, BlockRow cb, BlockRow cr, std::uint32_t chroma_factor,
                   std::uint32_t from, std::uint32_t width, std::uint8_t* out) {
  for (std::uint32_t j = from; j < width; ++j) {
    const std::int32_t y = luma.Sample(j);
    const std::uint8_t blue = cb.Sample(j / chroma_factor);
    const std::uint8_t red = cr.Sample(j / chroma_factor);
    out[3 * j] = Clamp(y + kBlueFromCb[blue]);
    out[3 * j + 1] = Clamp(y - GreenTerm(blue, red));
    out[3 * j + 2] = Clamp(y + kRedFromCr[red]);
  }
}

void ConvertRowsInPlace(const ImageComponent& y, const ImageComponent& cb, const ImageComponent& cr,
                        BitmapImage& bitmap, RowRange rows) {
  // Rows share chrominance in pairs (4:2:0); larger vertical factors are rare, and take their
  // rows two at a time.
  constexpr std::uint32_t kMaxSharing = 2;
  const std::uint32_t width = bitmap.Width();
  const std::uint32_t chroma_factor = cb.HorizontalFactor();
  const std::uint32_t vertical_factor = cb.VerticalFactor();
  for (std::uint32_t i = rows.first; i < rows.end;) {
    // The rows from i on that read the same chrominance rows.
    const std::uint32_t end =
        std::min({rows.end, (i / vertical_factor + 1) * vertical_factor, i + kMaxSharing});
    std::array<BlockRow, kMaxSharing> luma{};
    std::array<std::uint8_t*, kMaxSharing> out{};
    for (std::uint32_t r = 0; r < end - i; ++r) {
      luma[r] = RowOf(y, i + r);
      out[r] = bitmap.PictureRow(i + r);
    }
    const BlockRow blue = RowOf(cb, i);
    const BlockRow red = RowOf(cr, i);
    std::uint32_t done = 0;
#if LUMARC_X86_SIMD
    if (inverse_dct_detail::Avx2Available()) {
      done =
          ConvertYCbCrRowsAvx2(luma.data(), out.data(), end - i, blue, red, chroma_factor, width);
    }
#endif
    for (std::uint32_t r = 0; r < end - i; ++r) {
      ConvertPixels(luma[r], blue, red, chroma_factor, done, width, out[r]);
    }
    i = end;
  }
}

}  // namespace

bool ConvertGrayscaleFromBlocks(const ImageComponent& component, BitmapImage& bitmap,
                                RowRange rows) {
  if (!BlocksCover(component, bitmap)) return false;
  rows.end = std::min(rows.end, bitmap.Height());
  if (component.HorizontalFactor() == 1 && component.VerticalFactor() == 1) {
    CopyBlockRows(component, bitmap, rows);
    return true;
  }
  SourceRow row(component, bitmap.Width());
  for (std::uint32_t i = rows.first; i < rows.end; ++i) {
    row.Read(i);
    ExpandToFullResolution(row, bitmap.Width(), bitmap.PictureRow(i));
  }
  return true;
}

bool ConvertYCbCrFromBlocks(const ImageComponent& y, const ImageComponent& cb,
                            const ImageComponent& cr, BitmapImage& bitmap, RowRange rows) {
  if (!BlocksCover(y, bitmap) || !BlocksCover(cb, bitmap) || !BlocksCover(cr, bitmap)) {
    return false;
  }
  const std::uint32_t row_length = y.PlaneRowLength();
  if (cb.PlaneRowLength() != row_length || cr.PlaneRowLength() != row_length) return false;
  rows.end = std::min(rows.end, bitmap.Height());
  if (ReadsInPlace(y, cb, cr)) {
    ConvertRowsInPlace(y, cb, cr, bitmap, rows);
    return true;
  }
  const std::uint32_t width = bitmap.Width();
  SourceRow luma(y, width);
  SourceRow blue(cb, width);
  SourceRow red(cr, width);
  const bool paired = cb.HorizontalFactor() == cr.HorizontalFactor();
  const std::uint32_t chroma_factor = paired ? cb.HorizontalFactor() : 1;
  const std::uint32_t chroma_count = paired ? blue.Count() : width;
  ChromaTerms terms(chroma_count);
  std::vector<std::uint8_t> cb_full(paired ? 0 : width);
  std::vector<std::uint8_t> cr_full(paired ? 0 : width);
  for (std::uint32_t i = rows.first; i < rows.end; ++i) {
    luma.Read(i);
    const bool new_cb = blue.Read(i);
    const bool new_cr = red.Read(i);
    if (paired && (new_cb || new_cr)) {
      terms.Compute(blue.Samples(), red.Samples(), chroma_count);
    } else if (!paired && (new_cb || new_cr)) {
      ExpandToFullResolution(blue, width, cb_full.data());
      ExpandToFullResolution(red, width, cr_full.data());
      terms.Compute(cb_full.data(), cr_full.data(), width);
    }
    ConvertRow(luma, terms, chroma_factor, width, bitmap.PictureRow(i));
  }
  return true;
}

}  // namespace Lumarc
