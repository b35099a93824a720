#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>

#include "lumarc/export.h"
#include "lumarc/graphics_exception.h"
#include "lumarc/image_decoder.h"

namespace Lumarc {

class BitmapImage;
class JpegReader;

// Decodes a JFIF stream (baseline, extended sequential or progressive Huffman coding, 8-bit
// samples, one or three components) into a BitmapImage: 8-bit grey with a grey ramp palette for
// one component, 24-bit for three.
//
// Every error ends the read with an exception: JpegBadStream for malformed or unsupported data,
// JpegError for misuse and the environment, including "Not Enough Memory to Decode the Image" for
// an allocation that fails on either thread and "Image Too Large for Memory" for a size refused.
// Nothing else leaves ReadImage or ReadImageFile. Whatever was decoded before the error is still
// written into the bitmap, and every row the read did not write is cleared: a reused bitmap never
// shows rows of the picture it held before.
//
// One decoder serves one thread at a time; decoders on different threads share nothing. A
// decoder keeps the tables (DHT, DQT) of the streams it has read, on purpose: an abbreviated
// stream that carries none decodes with them. Its worker thread (SetThreads) lives as long as
// the decoder.
//
// Streams that the JFIF rules leave open are refused rather than guessed at (JpegBadStream):
//  - "Invalid Segment Length": an APPn, COM, DHT or DQT length below 2. An APPn or COM segment
//    of length 2 or 3 is consumed exactly; a DHT or DQT whose tables run past its length ends
//    after the table that does.
//  - "Component ID 255 not supported": a frame component with identifier 255, which has no slot.
//  - "Duplicate Component ID": two frame components with one identifier, which T.81 forbids.
//  - "Sampling Factor Ratio Not a Whole Number": Hmax / H or Vmax / V not whole (3 and 2, say).
//  - "Image Too Large to Decode": a frame one of whose component buffers would exceed 1 GiB;
//    refused before the bitmap is sized.
//  - "Frame header found after a scan": a second frame header once a scan of the image began.
//  - "Component Not Defined": also a scan component that is not one of this frame's, even when
//    an earlier frame or image configured its slot.
//  - "Huffman Table Selector outside range [0..3]": a scan's DC or AC selector above 3.
//  - "DC Difference Size out of Range": a DC size category above 16.
//  - "Premature end of file": also a stream that ends right after a segment.
//
// Resources. A frame header whose bitmap and component buffers together would take more than the
// memory limit (SetMemoryLimit, kDefaultMemoryLimit unless changed) ends the read with JpegError
// "Image Too Large for Memory" before any of them is allocated. Within the limit, the work of a
// read follows its data: a read of N bytes runs the inverse DCT on at most 8 N + 3 blocks (every
// block a scan gives a value costs at least one bit, plus one zero block per progressive
// component), and the rest of its work is linear in the frame's pixels, which the limit caps.
//
// A Huffman table whose 16 counts are all 0 is defined but has no code: the first value decoded
// with it fails with "Bad Huffman Code Length". The end-of-band run of a progressive AC scan is
// cleared at the start of every scan and at every restart marker.
class LUMARC_EXPORT JpegDecoder : public ImageDecoder {
 public:
  // Misuse of the decoder and errors of its environment.
  class LUMARC_EXPORT JpegError : public GraphicsException {
   public:
    using GraphicsException::GraphicsException;
  };

  // Malformed or unsupported JPEG data.
  class LUMARC_EXPORT JpegBadStream : public JpegError {
   public:
    using JpegError::JpegError;
  };

  // Called at the start of every row of units of a scan (percent 0 up to below 100) and with
  // 100 after each scan. Setting cancel to true ends the read: see WasCancelled.
  using ProgressCallback = void (*)(JpegDecoder& decoder, void* progress_data,
                                    std::int32_t current_scan, std::int32_t scan_total,
                                    std::uint32_t percent, bool& cancel);

  // Enough for a 50-megapixel progressive colour picture: 4:2:0 needs about 10.5 bytes a pixel
  // (3 in the bitmap, 7.5 in the components' blocks, coefficients and planes).
  static constexpr std::uint64_t kDefaultMemoryLimit = std::uint64_t{512} << 20;

  JpegDecoder();
  ~JpegDecoder() override;
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Finishes the components (inverse DCT of progressive coefficients, upsampling) and writes
  // the picture into the bitmap of the current read.
  void TransferToBitmap() override;
  // Decodes the named file. An input that ends inside entropy-coded data, or holds a marker
  // there, ends the read with JpegError. The file is opened once: every pass over it reads that
  // open file, whatever its name comes to stand for during the read. A source that cannot seek
  // (a pipe, a FIFO, a terminal) is kept in memory as far as the read has come, within the
  // memory limit.
  virtual void ReadImageFile(const std::string& file_name, BitmapImage& bitmap);
  // Decodes the caller's bytes, as ReadImageFile decodes a file holding them.
  virtual void ReadImage(std::span<const std::uint8_t> bytes, BitmapImage& bitmap);

  // Options, all off after construction.
  // Writes a listing of every marker segment to standard output while decoding.
  void SetVerbose(bool on);
  // Writes that listing to out instead; null turns it off. out must outlive the reads.
  void SetTraceOutput(std::ostream* out);
  // Requires the frame to number its components 1 (grey) or 1, 2, 3 in order.
  void SetStrictJfif(bool on);
  // Installs (or, with null, removes) the progress callback; progress_data is handed back to it
  // unchanged. With a callback set, each read first counts the stream's scans for it.
  void SetProgressCallback(ProgressCallback callback, void* data);
  // The most bytes the bitmap and the component buffers of one image may take together; a
  // frame needing more is refused with JpegError "Image Too Large for Memory". Each component
  // buffer stays limited to 1 GiB whatever this says.
  void SetMemoryLimit(std::uint64_t bytes);
  std::uint64_t MemoryLimit() const;
  // With 2 or more, a worker thread of this decoder's own shares the reading of large pictures:
  // it reconstructs the rows of sequential pictures (inverse DCT, colour conversion) while the
  // reading thread decodes the next ones, and decodes the last scans of each row of a
  // progressive picture, then reconstructs it, while the reading thread decodes the first scans
  // of the next rows. More than 2 use no more. The pictures and errors are those of one thread.
  // 1 (the default) or 0: everything on the reading thread. Pictures below a megapixel and
  // pictures whose blocks must all be kept (see the progress callback and the listing) are read
  // on one thread: handing their rows over would cost more than it gains, or cannot be done. The
  // thread is started by the first picture that is worth it; one that cannot be started leaves
  // the reads to the reading thread.
  void SetThreads(unsigned count);
  // The bytes the current frame's bitmap and component buffers take: what the limit is
  // compared with. 0 before the first frame header.
  std::uint64_t FrameMemoryBytes() const;
  // Inverse DCTs the last read ran, for checking that a read's work follows its data.
  std::uint64_t TransformedBlocks() const;

  // A cancelled read returns normally with the bitmap empty (Clear), so that nothing half-made
  // is ever shown; this tells it apart from a decoded picture until the next read starts.
  bool WasCancelled() const;

 private:
  // The library's own tests, fuzzers and benchmarks reach the reader (not installed) here.
  friend JpegReader& ReaderOf(JpegDecoder& decoder);
  friend const JpegReader& ReaderOf(const JpegDecoder& decoder);

  std::unique_ptr<JpegReader> reader;
};

}  // namespace Lumarc
