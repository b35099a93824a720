// The image-read driver: from the stream header through the marker loop to the end-of-image
// checks, with the transfer of the decoded components into the bitmap and the release of their
// buffers on every way out.
#include "lumarc/bitmap_image.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

namespace {
// Ends every way out of a read: the bitmap keeps no storage aside after it.
struct KeptStorageRelease {
  BitmapImage& bitmap;
  ~KeptStorageRelease() { bitmap.ReleaseKeptStorage(); }
};
}  // namespace

void JpegReader::ReadImage(InputByteStream& stream, BitmapImage& bitmap) {
  const KeptStorageRelease release{bitmap};
  const InputByteStream::Position start = stream.GetPosition();
  may_stream_rows = true;
  try {
    ReadImageOnce(stream, bitmap);
  } catch (const ReadAgainOnWholeGrid&) {
    may_stream_rows = false;
    stream.SetPosition(start);
    ReadImageOnce(stream, bitmap);
  }
}

void JpegReader::ReadImageOnce(InputByteStream& stream, BitmapImage& bitmap) {
  current_image = &bitmap;
  current_scan = 0;
  scan_total = 0;
  cancelled = false;
  bitmap_complete = false;
  bitmap_unfilled = false;
  bitmap_written = false;
  streamed = {};
  scans_read_ahead = false;
  transformed_blocks = 0;
  frame_memory_bytes = 0;
  if (progress_callback != nullptr) CountScans(stream);
  restart_interval = 0;
  try {
    // A bitmap read into again at the same size reuses its pixel buffer (zero-filled again).
    bitmap.ClearKeepingStorage();
    eoi_found = false;
    frame_found = false;
    ReadJfifHeader(stream);
    ReadMarkers(stream);
    if (scans_read_ahead) DecodeScansReadAhead();
  } catch (const GraphicsAbort&) {
    // Nothing is transferred: an empty bitmap cannot be mistaken for a picture.
    ReleaseImage();
    bitmap.Clear();
    cancelled = true;
    return;
  } catch (const ReadAgainOnWholeGrid&) {
    ReleaseImage();
    throw;
  } catch (...) {
    if (scans_read_ahead) {
      ReleaseImage();
      throw ReadAgainOnWholeGrid{};
    }
    TransferAfterFailure();
    ReleaseImage();
    throw;
  }
  try {
    TransferToBitmap();
    if (!eoi_found) throw JpegBadStream(message::kEndOfImageNotFound);
    CheckTrailingData(stream);
  } catch (...) {
    ReleaseImage();
    throw;
  }
  ReleaseImage();
}

// Bytes other than 0xFF between segments are skipped. The byte after a segment must not be the
// last of the stream, and a stream that ends right after a segment ends the same way.
void JpegReader::ReadMarkers(InputByteStream& stream) {
  std::uint8_t byte = 0;
  if (!TryReadByte(stream, byte)) return;
  while (stream.HasMoreData() && !eoi_found) {
    if (byte == 0xFF) {
      ProcessMarker(stream);
      if (eoi_found) return;
    }
    if (!TryReadByte(stream, byte) || !stream.HasMoreData()) {
      throw JpegBadStream(message::kPrematureEndOfFile);
    }
  }
}

// Any run of CR and LF may follow the end-of-image marker, then at most one other byte, which
// must be the last of the stream. The end is found by reading, not by HasMoreData, which
// cannot yet know it when the stream ends exactly on a buffer boundary.
void JpegReader::CheckTrailingData(InputByteStream& stream) {
  std::uint8_t byte = 0;
  bool read = TryReadByte(stream, byte);
  while (read && (byte == 0x0D || byte == 0x0A)) read = TryReadByte(stream, byte);
  if (read && TryReadByte(stream, byte)) {
    throw JpegBadStream(message::kExtraDataAfterEndOfImage);
  }
}

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
    bitmap_written = ConvertRows({});
  } else if (component_count == 1) {
    ConvertGrayscale(components[component_ids[0]], *current_image);
  } else if (component_count == 3) {
    ConvertYCbCr(components[component_ids[0]], components[component_ids[1]],
                 components[component_ids[2]], *current_image);
  }
}

// Each MCU row's coefficients become samples just before their bitmap rows are written, so the
// samples never take more than one MCU row of memory.
void JpegReader::TransferProgressiveByMcuRows() {
  PrepareProgressiveTransfer();
  bool written = mcu_rows != 0;
  for (std::uint32_t row = 0; row < mcu_rows; ++row) {
    written = TransferProgressiveMcuRow(row) && written;
  }
  bitmap_written = written;
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

// Straight from the blocks; false where nothing could be written.
bool JpegReader::ConvertRows(RowRange rows) {
  if (component_count == 1) {
    return ConvertGrayscaleFromBlocks(components[component_ids[0]], *current_image, rows);
  }
  if (component_count != 3) return false;
  return ConvertYCbCrFromBlocks(components[component_ids[0]], components[component_ids[1]],
                                components[component_ids[2]], *current_image, rows);
}

// What was decoded before the error still reaches the bitmap. The error that ended the read is
// the one reported, even if this transfer fails as well (it can only run out of memory).
void JpegReader::TransferAfterFailure() {
  try {
    TransferToBitmap();
  } catch (...) {
  }
}

// Every slot is released, not only the frame's components: a scan that failed part-way may have
// made buffers for a component before the scan was counted, and buffers left behind would keep
// this image's geometry into the next image.
// A reused pixel buffer holds the previous picture until written: nothing of it may survive.
void JpegReader::FinishBitmap() {
  if (!bitmap_unfilled || current_image == nullptr) return;
  bitmap_unfilled = false;
  if (bitmap_complete || bitmap_written) {
    current_image->ZeroPadding();
  } else {
    current_image->ZeroPixels();
  }
}

void JpegReader::ReleaseImage() {
  if (worker) worker->FinishQuietly();  // it may still be reading the buffers
  FinishBitmap();
  pending_scans.clear();
  for (ImageComponent& component : worker_components) component.FreeComponentBuffers();
  for (ImageComponent& component : components) {
    transformed_blocks += component.TransformedBlocks();
    component.FreeComponentBuffers();
  }
  current_image = nullptr;
}

}  // namespace Lumarc
