// The image-read driver: from the stream header through the marker loop to the end-of-image
// checks, with the transfer of the decoded components into the bitmap and the release of their
// buffers on every way out.
#include <new>

#include "lumarc/bitmap_image.h"
#include "lumarc/bitmap_image_storage.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

namespace {

// Ends every way out of a read: the bitmap keeps no storage aside after it.
struct KeptStorageRelease {
  BitmapImage& bitmap;
  ~KeptStorageRelease() { BitmapImageStorage::ReleaseKeptStorage(bitmap); }
};

// Damage in the data, as opposed to the environment's failures (memory, a cancelled read).
bool IsDamage(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const JpegDecoder::JpegBadStream&) {
    return true;
  } catch (const InputByteStream::StreamError&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

// A failed allocation, on either thread, ends the read as the library's own error.
void JpegReader::ReadImage(InputByteStream& stream, BitmapImage& bitmap) {
  const KeptStorageRelease release{bitmap};
  const InputByteStream::Position start = stream.GetPosition();
  whole_grid_only = false;
  try {
    if (ReadImageOnce(stream, bitmap) == PassEnd::kRead) return;
    whole_grid_only = true;
    stream.SetPosition(start);
    ReadImageOnce(stream, bitmap);
  } catch (const std::bad_alloc&) {
    throw JpegError(message::kNotEnoughMemory);
  }
}

void JpegReader::StartPass(BitmapImage& bitmap) {
  current_image = &bitmap;
  current_scan = 0;
  scan_total = 0;
  cancelled = false;
  plan = {};
  read_again = false;
  bitmap_complete = false;
  bitmap_unfilled = false;
  rows_written.count = 0;
  streamed = {};
  transformed_blocks = 0;
  frame_memory_bytes = 0;
  restart_interval = 0;
  eoi_found = false;
  frame_found = false;
  // A bitmap read into again at the same size reuses its pixel buffer.
  BitmapImageStorage::ClearKeepingStorage(bitmap);
}

// Scans read ahead that meet damage leave the image to be read again scan after scan, which
// meets it where it lies and leaves what it leaves.
JpegReader::PassEnd JpegReader::ReadImageOnce(InputByteStream& stream, BitmapImage& bitmap) {
  StartPass(bitmap);
  if (progress_callback != nullptr) CountScans(stream);
  PassEnd end = PassEnd::kRead;
  try {
    end = ReadPass(stream);
  } catch (const GraphicsAbort&) {
    // Nothing is transferred: an empty bitmap cannot be mistaken for a picture.
    ReleaseImage();
    bitmap.Clear();
    cancelled = true;
    return PassEnd::kRead;
  } catch (...) {
    const bool damage_read_ahead =
        plan.plan == ReadPlan::kScansReadAhead && IsDamage(std::current_exception());
    if (!damage_read_ahead) TransferAfterFailure();
    ReleaseImage();
    if (damage_read_ahead) return PassEnd::kReadAgainOnWholeGrid;
    throw;
  }
  if (end == PassEnd::kReadAgainOnWholeGrid) {
    ReleaseImage();
    return end;
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
  return PassEnd::kRead;
}

JpegReader::PassEnd JpegReader::ReadPass(InputByteStream& stream) {
  ReadJfifHeader(stream);
  ReadMarkers(stream);
  if (!read_again && plan.plan == ReadPlan::kScansReadAhead) read_again = !DecodeScansReadAhead();
  return read_again ? PassEnd::kReadAgainOnWholeGrid : PassEnd::kRead;
}

// Bytes other than 0xFF between segments are skipped. The byte after a segment must not be the
// last of the stream, and a stream that ends right after a segment ends the same way.
void JpegReader::ReadMarkers(InputByteStream& stream) {
  std::uint8_t byte = 0;
  if (!TryReadByte(stream, byte)) return;
  while (stream.HasMoreData() && !eoi_found) {
    if (byte == 0xFF) {
      ProcessMarker(stream);
      if (eoi_found || read_again) return;
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

// What was decoded before the error still reaches the bitmap. The error that ended the read is
// the one reported, even if this transfer fails as well (it can only run out of memory). Scans
// read ahead keep the coefficients of a few MCU rows only: the rows not yet converted are lost
// with the error, and cleared.
void JpegReader::TransferAfterFailure() {
  if (plan.plan == ReadPlan::kScansReadAhead) return;
  try {
    TransferToBitmap();
  } catch (...) {
  }
}

// A pixel buffer that was not zero-filled holds the previous picture, or the allocator's bytes,
// until written: every row the read did not write is cleared.
void JpegReader::FinishBitmap() {
  if (!bitmap_unfilled || current_image == nullptr) return;
  bitmap_unfilled = false;
  BitmapImageStorage::ClearRowsFrom(*current_image, rows_written.count);
}

// Every slot is released, not only the frame's components: a scan that failed part-way may have
// made buffers for a component before the scan was counted, and buffers left behind would keep
// this image's geometry into the next image. The worker may still be reading the buffers, and
// writing rows.
void JpegReader::ReleaseImage() {
  if (worker) worker->FinishQuietly();
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
