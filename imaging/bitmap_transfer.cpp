// From the components' blocks to the bitmap: the whole picture at the end of a read on the whole
// grid, or MCU row by MCU row, with the one record of the rows written.
#include <algorithm>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"

namespace Lumarc {

void JpegReader::TransferToBitmap() {
  if (current_image == nullptr) throw JpegError(message::kNotReadingAnImage);
  if (current_scan == 0 || bitmap_complete) return;
  if (streamed.active) return TransferStreamedScanAfterFailure();
  // The fast paths convert straight from the blocks and need no upsampled planes.
  const bool from_blocks = decode_path == DecodePath::kFast;
  if (from_blocks && progressive) return TransferProgressiveByMcuRows();
  for (std::uint32_t i = 0; i < component_count; ++i) {
    ImageComponent& component = components[component_ids[i]];
    if (progressive) component.ProgressiveInverseDct(InverseDctOfPath());
    if (!from_blocks) component.Upsample();
  }
  if (from_blocks) {
    ConvertRows({});
  } else if (component_count == 1) {
    ConvertGrayscale(components[component_ids[0]], *current_image);
    NoteRowsWritten({});
  } else if (component_count == 3) {
    ConvertYCbCr(components[component_ids[0]], components[component_ids[1]],
                 components[component_ids[2]], *current_image);
    NoteRowsWritten({});
  }
}

// Each MCU row's coefficients become samples just before their bitmap rows are written, so the
// samples never take more than one MCU row of memory.
void JpegReader::TransferProgressiveByMcuRows() {
  PrepareProgressiveTransfer();
  for (std::uint32_t row = 0; row < mcu_rows; ++row) TransferProgressiveMcuRow(row);
}

// The zero block is transformed once per component even in a frame without rows, as the
// whole-grid transfer does.
void JpegReader::PrepareProgressiveTransfer() {
  for (std::uint32_t i = 0; i < component_count; ++i) {
    components[component_ids[i]].ProgressiveInverseDct(0, 0, InverseDctOfPath());
  }
}

// False where nothing could be written.
bool JpegReader::TransferProgressiveMcuRow(std::uint32_t row) {
  for (std::uint32_t i = 0; i < component_count; ++i) {
    ImageComponent& component = components[component_ids[i]];
    const std::uint32_t v = component.VerticalFrequency();
    component.ProgressiveInverseDct(row * v, (row + 1) * v, InverseDctOfPath());
  }
  return ConvertRows({row * mcu_height, (row + 1) * mcu_height});
}

bool JpegReader::ConvertRows(RowRange rows) {
  bool written = false;
  if (component_count == 1) {
    written = ConvertGrayscaleFromBlocks(components[component_ids[0]], *current_image, rows);
  } else if (component_count == 3) {
    written = ConvertYCbCrFromBlocks(components[component_ids[0]], components[component_ids[1]],
                                     components[component_ids[2]], *current_image, rows);
  }
  if (written) NoteRowsWritten(rows);
  return written;
}

// Rows are written in order, by one thread at a time; a range that does not follow on from the
// rows already written (none does) would leave a gap the record cannot hold.
void JpegReader::NoteRowsWritten(RowRange rows) {
  if (rows.first > rows_written.count) return;
  rows_written.count = std::max(rows_written.count, std::min(rows.end, image_height));
}

}  // namespace Lumarc
