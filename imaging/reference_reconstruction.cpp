// Runs coefficients that another decoder's entropy decoding produced through the same steps a
// progressive read ends with, TransferToBitmap on the reference paths, so that the two can be
// compared without our entropy decoding in between.
#include "lumarc/reference_reconstruction.h"

#include <algorithm>
#include <memory>

#include "lumarc/bitmap_image.h"
#include "lumarc/image_component.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/quantization_table.h"

namespace Lumarc {
namespace {

FrameGeometry GeometryOf(std::uint32_t width, std::uint32_t height,
                         std::span<const ComponentCoefficients> components) {
  FrameGeometry frame{width, height, 0, 0, 0, 0, true};
  for (const ComponentCoefficients& component : components) {
    frame.max_horizontal_frequency =
        std::max(frame.max_horizontal_frequency, component.horizontal_frequency);
    frame.max_vertical_frequency =
        std::max(frame.max_vertical_frequency, component.vertical_frequency);
  }
  const std::uint32_t mcu_width = 8 * frame.max_horizontal_frequency;
  const std::uint32_t mcu_height = 8 * frame.max_vertical_frequency;
  frame.mcu_cols = (width + mcu_width - 1) / mcu_width;
  frame.mcu_rows = (height + mcu_height - 1) / mcu_height;
  return frame;
}

// The table as a DQT segment of precision 0 would define it.
void ReadQuantizationTable(const ComponentCoefficients& source, QuantizationTable& table) {
  MemoryInputByteStream stream(source.quantization_values);
  table.ReadTable(stream, 0);
}

void LoadComponent(const ComponentCoefficients& source, const FrameGeometry& frame,
                   const QuantizationTable& table, ImageComponent& component) {
  component.SetHorizontalFrequency(source.horizontal_frequency);
  component.SetVerticalFrequency(source.vertical_frequency);
  component.SetQuantizationTable(table);
  component.AllocateComponentBuffers(frame);
  const std::uint32_t rows = std::min(source.block_rows, component.DataUnitRows());
  const std::uint32_t cols = std::min(source.block_cols, component.DataUnitCols());
  for (std::uint32_t row = 0; row < rows; ++row) {
    for (std::uint32_t col = 0; col < cols; ++col) {
      *component.CoefficientsAt(row, col) =
          source.blocks[std::size_t{row} * source.block_cols + col];
    }
  }
}

void AllocateBitmap(std::uint32_t width, std::uint32_t height, std::size_t component_count,
                    BitmapImage& bitmap) {
  if (component_count != 1) return bitmap.Allocate(0, 24, width, height);
  bitmap.Allocate(256, 8, width, height);
  for (std::uint32_t i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    bitmap.PaletteEntry(i) = {level, level, level};
  }
}

}  // namespace

void ReconstructOnReferencePaths(std::uint32_t width, std::uint32_t height,
                                 std::span<const ComponentCoefficients> components,
                                 BitmapImage& bitmap) {
  AllocateBitmap(width, height, components.size(), bitmap);
  if (components.size() != 1 && components.size() != 3) return;
  const FrameGeometry frame = GeometryOf(width, height, components);
  std::vector<QuantizationTable> tables(components.size());
  const std::unique_ptr<ImageComponent[]> planes(new ImageComponent[components.size()]);
  for (std::size_t i = 0; i < components.size(); ++i) {
    ReadQuantizationTable(components[i], tables[i]);
    LoadComponent(components[i], frame, tables[i], planes[i]);
    planes[i].ProgressiveInverseDct(&InverseDctScalar);  // the reference transform
    planes[i].Upsample();
  }
  if (components.size() == 1) {
    ConvertGrayscale(planes[0], bitmap);
  } else {
    ConvertYCbCr(planes[0], planes[1], planes[2], bitmap);
  }
}

}  // namespace Lumarc
