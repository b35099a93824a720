#include "our_pipeline_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "lumarc/inverse_dct.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/quantization_table.h"
#include "lumarc/zigzag.h"

namespace Lumarc::Reference {
namespace {

// A component enlarged to full resolution, covering whole MCUs like the decoder's planes.
struct Plane {
  uint32_t width = 0;
  std::vector<uint8_t> samples;
  uint8_t At(uint32_t x, uint32_t y) const { return samples[size_t{y} * width + x]; }
};

QuantizationTable TableOf(const ReferenceComponent& component) {
  std::vector<uint8_t> zigzag(64);
  for (size_t k = 0; k < 64; ++k) {
    zigzag[k] = static_cast<uint8_t>(component.quantization[kZigzagToNatural[k]]);
  }
  MemoryInputByteStream stream(zigzag);
  QuantizationTable table;
  table.ReadTable(stream, 0);
  return table;
}

Plane Enlarge(const ReferenceComponent& component, uint32_t repeat_x, uint32_t repeat_y) {
  QuantizationTable table = TableOf(component);
  Plane plane;
  plane.width = component.block_cols * 8 * repeat_x;
  plane.samples.resize(size_t{plane.width} * component.block_rows * 8 * repeat_y);
  for (uint32_t row = 0; row < component.block_rows; ++row) {
    for (uint32_t col = 0; col < component.block_cols; ++col) {
      DataUnit unit;
      CoefficientBlock block;
      std::copy_n(component.blocks[size_t{row} * component.block_cols + col].begin(), 64,
                  block.begin());
      InverseDct(unit, block, table);
      for (uint32_t y = 0; y < 8 * repeat_y; ++y) {
        for (uint32_t x = 0; x < 8 * repeat_x; ++x) {
          size_t at = size_t{row * 8 * repeat_y + y} * plane.width + col * 8 * repeat_x + x;
          plane.samples[at] = unit.samples[8 * (y / repeat_y) + x / repeat_x];
        }
      }
    }
  }
  return plane;
}

uint8_t Clamp(int32_t v) {
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// round() takes halves away from zero, as the colour tables do.
int32_t Rounded(double v) {
  return static_cast<int32_t>(std::lround(v));
}

void ConvertYCbCr(int32_t y, int32_t cb, int32_t cr, uint8_t* rgb) {
  int32_t green_cb = Rounded(0.34414 * 65536 * (cb - 128));
  int32_t green_cr = Rounded(0.71414 * 65536 * (cr - 128));
  rgb[0] = Clamp(y + Rounded(1.402 * (cr - 128)));
  rgb[1] = Clamp(y - ((green_cb + green_cr + 32768) >> 16));
  rgb[2] = Clamp(y + Rounded(1.772 * (cb - 128)));
}

}  // namespace

ReferencePicture ThroughOurPipeline(const ReferenceCoefficients& coefficients) {
  std::vector<Plane> planes;
  for (const ReferenceComponent& component : coefficients.components) {
    planes.push_back(Enlarge(component, coefficients.max_horizontal / component.horizontal,
                             coefficients.max_vertical / component.vertical));
  }
  ReferencePicture picture;
  picture.width = coefficients.width;
  picture.height = coefficients.height;
  picture.channels = planes.size() == 1 ? 1 : 3;
  picture.samples.resize(size_t{picture.width} * picture.height * picture.channels);
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      uint8_t* pixel = &picture.samples[(size_t{y} * picture.width + x) * picture.channels];
      if (planes.size() == 1) {
        pixel[0] = planes[0].At(x, y);
      } else {
        ConvertYCbCr(planes[0].At(x, y), planes[1].At(x, y), planes[2].At(x, y), pixel);
      }
    }
  }
  return picture;
}

}  // namespace Lumarc::Reference
