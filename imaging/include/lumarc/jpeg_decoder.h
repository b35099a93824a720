#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "lumarc/graphics_exception.h"
#include "lumarc/huffman_table.h"
#include "lumarc/image_component.h"
#include "lumarc/image_decoder.h"
#include "lumarc/quantization_table.h"

namespace Lumarc {

class BitmapImage;
class InputByteStream;

// Decodes a JFIF stream (baseline, extended sequential or progressive Huffman coding, 8-bit
// samples, one or three components) into a BitmapImage: 8-bit grey with a grey ramp palette for
// one component, 24-bit for three.
//
// Every error ends the read with an exception: JpegBadStream for malformed or unsupported data,
// JpegError for misuse and the environment. Whatever was decoded before the error is still
// written into the bitmap.
//
// Streams that the JFIF rules leave open are refused rather than guessed at (JpegBadStream):
//  - "Invalid Segment Length": an APPn, COM, DHT or DQT length below 2. An APPn or COM segment
//    of length 2 or 3 is consumed exactly; a DHT or DQT whose tables run past its length ends
//    after the table that does.
//  - "Component ID 255 not supported": a frame component with identifier 255, which has no slot.
//  - "Sampling Factor Ratio Not a Whole Number": Hmax / H or Vmax / V not whole (3 and 2, say).
//  - "Image Too Large to Decode": a frame whose component buffers would exceed
//    ImageComponent::kMaxBufferBytes each; refused before the bitmap is sized.
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
class JpegDecoder : public ImageDecoder {
 public:
  // Misuse of the decoder and errors of its environment.
  class JpegError : public GraphicsException {
   public:
    using GraphicsException::GraphicsException;
  };

  // Malformed or unsupported JPEG data.
  class JpegBadStream : public JpegError {
   public:
    using JpegError::JpegError;
  };

  // Called at the start of every row of units of a scan (percent 0 up to below 100) and with
  // 100 after each scan. Setting cancel to true ends the read: see WasCancelled.
  using ProgressCallback = void (*)(JpegDecoder& decoder, void* progress_data,
                                    std::int32_t current_scan, std::int32_t scan_total,
                                    std::uint32_t percent, bool& cancel);

  // Component identifiers are bytes, but identifier 255 has no slot.
  static constexpr std::uint32_t kComponentSlots = 255;
  static constexpr std::uint32_t kTableCount = 4;
  // Enough for a 50-megapixel progressive colour picture: 4:2:0 needs about 10.7 bytes a pixel
  // (3 in the bitmap, 7.7 in the components' blocks, coefficients and planes).
  static constexpr std::uint64_t kDefaultMemoryLimit = std::uint64_t{512} << 20;

  JpegDecoder();
  ~JpegDecoder() override;
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Finishes the components (inverse DCT of progressive coefficients, upsampling) and writes
  // the picture into the bitmap of the current read.
  void TransferToBitmap() override;
  // Decodes the named file. A StreamError of the input arrives as JpegError with its message.
  virtual void ReadImageFile(const std::string& file_name, BitmapImage& bitmap);
  // Decodes one JPEG stream from the stream's current position.
  virtual void ReadImage(InputByteStream& stream, BitmapImage& bitmap);

  // Options, all off after construction.
  // Writes a listing of every marker segment to standard output while decoding.
  void SetVerbose(bool on) { verbose = on; }
  // Requires the frame to number its components 1 (grey) or 1, 2, 3 in order.
  void SetStrictJfif(bool on) { strict_jfif = on; }
  // Installs (or, with null, removes) the progress callback; progress_data is handed back to it
  // unchanged. With a callback set, each read first counts the stream's scans for it.
  void SetProgressCallback(ProgressCallback callback, void* data) {
    progress_callback = callback;
    progress_data = data;
  }
  // The most bytes the bitmap and the component buffers of one image may take together; a
  // frame needing more is refused with JpegError "Image Too Large for Memory". Each component
  // buffer stays limited to ImageComponent::kMaxBufferBytes whatever this says.
  void SetMemoryLimit(std::uint64_t bytes) { memory_limit = bytes; }
  std::uint64_t MemoryLimit() const { return memory_limit; }
  // The bytes the current frame's bitmap and component buffers take: what the limit is
  // compared with. 0 before the first frame header.
  std::uint64_t FrameMemoryBytes() const { return frame_memory_bytes; }
  // Inverse DCTs the last read ran, for checking that a read's work follows its data.
  std::uint64_t TransformedBlocks() const { return transformed_blocks; }

  // A cancelled read returns normally with the bitmap empty (Clear), so that nothing half-made
  // is ever shown; this tells it apart from a decoded picture until the next read starts.
  bool WasCancelled() const { return cancelled; }

  // Marker level, used by ReadImage.
  // Reads SOI and the JFIF APP0 segment that must open every stream.
  void ReadJfifHeader(InputByteStream& stream);
  // Called right after a 0xFF between segments: reads the marker code (skipping fill bytes) and
  // handles its segment completely, a whole scan for SOS.
  void ProcessMarker(InputByteStream& stream);

  // The frame and scan state, for the components and for inspection.
  FrameGeometry Geometry() const;
  std::uint32_t ImageWidth() const { return image_width; }
  std::uint32_t ImageHeight() const { return image_height; }
  std::uint32_t MaxHorizontalFrequency() const { return max_horizontal_frequency; }
  std::uint32_t MaxVerticalFrequency() const { return max_vertical_frequency; }
  bool Progressive() const { return progressive; }
  std::uint32_t ComponentCount() const { return component_count; }
  // Identifier of the index-th component in frame order (index below ComponentCount).
  std::uint32_t ComponentId(std::uint32_t index) const { return component_ids.at(index); }
  const ImageComponent& Component(std::uint32_t id) const { return components.at(id); }
  std::uint32_t McuRows() const { return mcu_rows; }
  std::uint32_t McuCols() const { return mcu_cols; }
  std::uint32_t McuHeight() const { return mcu_height; }
  std::uint32_t McuWidth() const { return mcu_width; }
  std::uint32_t RestartInterval() const { return restart_interval; }
  std::int32_t CurrentScan() const { return current_scan; }
  std::int32_t ScanTotal() const { return scan_total; }
  bool EoiFound() const { return eoi_found; }
  bool FrameFound() const { return frame_found; }

 private:
  // Marker segments (jpeg_markers.cpp).
  // Reads one byte; false when the stream has none left, where ReadByte would raise.
  static bool TryReadByte(InputByteStream& stream, std::uint8_t& byte);
  void SkipApplicationSegment(std::uint8_t code, InputByteStream& stream);
  void ReadHuffmanSegment(InputByteStream& stream);
  void ReadQuantizationSegment(InputByteStream& stream);
  void ReadRestartSegment(InputByteStream& stream);

  // Frame and scan headers (jpeg_frame_scan_headers.cpp).
  void ReadFrameHeader(InputByteStream& stream, std::uint8_t code);
  void ReadFrameComponent(InputByteStream& stream, std::uint32_t index);
  void CheckSamplingRatios() const;
  void CheckMemoryNeeds();
  void ComputeMcuGeometry();
  void PrepareImage();
  void ReadScanHeader(InputByteStream& stream);
  void ReadScanComponent(InputByteStream& stream, std::uint32_t index);
  bool IsFrameComponent(std::uint32_t id) const;
  void PrepareScanComponents(std::uint32_t ss);
  void DispatchProgressiveScan(InputByteStream& stream, std::uint32_t ss, std::uint32_t se,
                               std::uint32_t ah, std::uint32_t al);

  // Scan decoding (jpeg_scan_decoding.cpp).
  void DecodeSequentialScan(InputByteStream& stream);
  void DecodeDcFirstScan(InputByteStream& stream, std::uint32_t al);
  void DecodeDcRefineScan(InputByteStream& stream, std::uint32_t al);
  void DecodeAcFirstScan(InputByteStream& stream, std::uint32_t ss, std::uint32_t se,
                         std::uint32_t al);
  void DecodeAcRefineScan(InputByteStream& stream, std::uint32_t ss, std::uint32_t se,
                          std::uint32_t al);
  template <typename DecodeUnit>
  void RunScan(InputByteStream& stream, bool progressive_scan, DecodeUnit decode_unit);
  template <typename DecodeUnit>
  void RunScanLoop(InputByteStream& stream, std::uint32_t rows, std::uint32_t cols,
                   bool progressive_scan, DecodeUnit decode_unit);
  void ResetDcPredictions();
  void ResetEobRuns();
  void ProcessRestartMarker(InputByteStream& stream);
  void ReportProgress(std::uint32_t percent);
  void CountScans(InputByteStream& stream);

  // Image reading (jpeg_image_reading.cpp).
  void ReadMarkers(InputByteStream& stream);
  void CheckTrailingData(InputByteStream& stream);
  void TransferAfterFailure();
  void ReleaseImage();

  // The verbose listing (jpeg_trace.cpp).
  struct JfifHeader {
    std::uint16_t length;
    std::uint8_t version_major;
    std::uint8_t version_minor;
    std::uint8_t density_unit;
    std::uint16_t x_density;
    std::uint16_t y_density;
    std::uint8_t thumbnail_width;
    std::uint8_t thumbnail_height;
  };
  static void TraceJfifHeader(const JfifHeader& header);
  static void TraceLine(const char* text);
  static void TraceApplicationSegment(std::uint8_t code, std::uint32_t length,
                                      const std::string& identifier);
  static void TraceHuffmanTable(std::uint32_t index, std::uint32_t table_class);
  static void TraceHuffmanDump(const HuffmanTable& table);
  static void TraceQuantizationSegment(std::uint32_t length);
  static void TraceQuantizationTable(std::uint32_t index, std::uint32_t precision);
  static void TraceQuantizationValues(const QuantizationTable& table);
  static void TraceRestartSegment(std::uint32_t length, std::uint32_t interval);
  void TraceFrameHeading(std::uint32_t length, std::uint32_t precision) const;
  static void TraceFrameComponent(std::uint32_t id, std::uint32_t h, std::uint32_t v,
                                  std::uint32_t tq);
  static void TraceScanHeading(std::uint32_t length);
  static void TraceScanComponent(std::uint32_t id, std::uint32_t dc, std::uint32_t ac);
  static void TraceScanParameters(std::uint32_t ss, std::uint32_t se, std::uint32_t ah,
                                  std::uint32_t al);

  ProgressCallback progress_callback = nullptr;
  void* progress_data = nullptr;
  std::array<HuffmanTable, kTableCount> ac_tables;
  std::array<HuffmanTable, kTableCount> dc_tables;
  std::array<QuantizationTable, kTableCount> quantization_tables;
  bool eoi_found = false;
  bool frame_found = false;
  bool verbose = false;
  // MCUs per restart interval, from DRI; 0: the scans carry no restart markers.
  std::uint32_t restart_interval = 0;
  std::uint32_t image_width = 0;
  std::uint32_t image_height = 0;
  std::uint32_t max_horizontal_frequency = 0;
  std::uint32_t max_vertical_frequency = 0;
  bool progressive = false;
  std::uint32_t component_count = 0;
  // Slot i belongs to component identifier i, not to the i-th component of the frame.
  std::array<ImageComponent, kComponentSlots> components;
  std::array<std::uint32_t, kComponentSlots> component_ids{};
  BitmapImage* current_image = nullptr;
  std::int32_t current_scan = 0;
  std::int32_t scan_total = 0;
  std::uint32_t mcu_rows = 0;
  std::uint32_t mcu_cols = 0;
  std::uint32_t mcu_height = 0;
  std::uint32_t mcu_width = 0;
  std::uint32_t scan_component_count = 0;
  std::array<ImageComponent*, kComponentSlots> scan_components{};
  // The number the next restart marker of the current scan must carry, 0 to 7.
  std::int32_t next_restart = 0;
  bool strict_jfif = false;
  bool cancelled = false;
  std::uint64_t memory_limit = kDefaultMemoryLimit;
  std::uint64_t frame_memory_bytes = 0;
  std::uint64_t transformed_blocks = 0;
};

}  // namespace Lumarc
