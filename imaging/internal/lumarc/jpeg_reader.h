#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lumarc/cache_line.h"
#include "lumarc/component_slots.h"
#include "lumarc/decode_path.h"
#include "lumarc/huffman_table.h"
#include "lumarc/image_component.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/marker_trace.h"
#include "lumarc/quantization_table.h"
#include "lumarc/table_slots.h"

namespace Lumarc {

class BitmapImage;
class InputByteStream;
class RowWorker;

// The state and the stages of one JpegDecoder: the marker parser, the frame and scan headers,
// the scan loops and the image-read driver. The public JpegDecoder owns one and forwards to it.
class JpegReader {
 public:
  using JpegError = JpegDecoder::JpegError;
  using JpegBadStream = JpegDecoder::JpegBadStream;

  // Component identifiers are bytes, but identifier 255 has no slot.
  static constexpr std::uint32_t kComponentSlots = ComponentSlots::kCount;
  static constexpr std::uint32_t kTableCount = 4;

  // owner is handed to the progress callback.
  explicit JpegReader(JpegDecoder& owner);
  ~JpegReader();
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  // Finishes the components (inverse DCT of progressive coefficients, upsampling) and writes
  // the picture into the bitmap of the current read.
  void TransferToBitmap();
  // Decodes one JPEG stream from the stream's current position. A StreamError of the input
  // passes through.
  void ReadImage(InputByteStream& stream, BitmapImage& bitmap);

  // The fast paths unless changed; the reference paths give the same pictures, messages and
  // stream positions, more slowly (for comparing the two). Readers on different threads may use
  // different paths at the same time.
  void SetDecodePath(DecodePath path) { decode_path = path; }
  DecodePath Path() const { return decode_path; }

  // The options of JpegDecoder.
  void SetTraceOutput(std::ostream* out) { trace.SetOutput(out); }
  void SetStrictJfif(bool on) { strict_jfif = on; }
  void SetProgressCallback(JpegDecoder::ProgressCallback callback, void* data) {
    progress_callback = callback;
    progress_data = data;
  }
  void SetMemoryLimit(std::uint64_t bytes) { memory_limit = bytes; }
  void SetThreads(unsigned count);
  unsigned Threads() const { return use_worker ? 2 : 1; }
  // Smaller pictures are read on one thread even with a worker; tests lower it to reach the
  // worker with small pictures.
  static constexpr std::uint64_t kWorkerMinimumPixels = std::uint64_t{1} << 20;
  void SetWorkerMinimumPixels(std::uint64_t pixels) { worker_minimum_pixels = pixels; }
  std::uint64_t MemoryLimit() const { return memory_limit; }
  std::uint64_t FrameMemoryBytes() const { return frame_memory_bytes; }
  std::uint64_t TransformedBlocks() const { return transformed_blocks; }
  bool WasCancelled() const { return cancelled; }
  // How a picture's scans are read: chosen once per read, at its first scan header, from the
  // frame, that scan, the decode path, what watches the read (a listing or a progress callback
  // must see the scans one after the other) and the threads allowed; listed in the trace.
  //  - kWholeGrid: every scan decoded in turn into blocks kept for the whole picture, which is
  //    transferred to the bitmap at the end. Any picture, any path; the only plan whose reads
  //    can be watched.
  //  - kStreamedRows: a sequential picture whose first scan holds every component once keeps
  //    one MCU row of samples and converts each row into the bitmap as soon as it is decoded.
  //  - kScansReadAhead: a progressive picture's scans are passed over to the end of the image,
  //    then every scan's units of one MCU row are decoded, transformed and converted before the
  //    next row's, with one MCU row of coefficients.
  // The last two may take the worker (SetThreads). Where a plan turns out not to fit (a second
  // scan after a streamed one, scans read ahead meeting damage or too many scans), the read
  // starts again from the stream's start on the whole grid, over the same source: an explicit
  // step, never taken for want of memory.
  enum class ReadPlan { kWholeGrid, kStreamedRows, kScansReadAhead };
  struct PlanChoice {
    ReadPlan plan = ReadPlan::kWholeGrid;
    bool with_worker = false;
  };
  // The last read's plan, as it ended (after a read again, the whole grid).
  PlanChoice Plan() const { return plan; }
  bool ScansWereReadAhead() const { return plan.plan == ReadPlan::kScansReadAhead; }
  // Picture rows, from the top, that the last read wrote into the bitmap.
  std::uint32_t RowsWritten() const { return rows_written.count; }

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
  void AllocateBitmap(std::uint32_t color_count, std::uint32_t bit_count);
  void ReadScanHeader(InputByteStream& stream);
  void ReadScanComponent(InputByteStream& stream, std::uint32_t index);
  bool IsFrameComponent(std::uint32_t id) const;
  ImageComponent::SampleStorage ChooseSampleStorage() const;
  void PrepareScanComponents(std::uint32_t ss, ImageComponent::SampleStorage storage);

  // The read plan (read_plan.cpp).
  PlanChoice ChooseReadPlan(const InputByteStream& stream) const;
  bool StartWorker();
  bool WorthAWorker() const;
  void SetReadPlan(const InputByteStream& stream);
  void TracePlan();

  // Scan decoding (jpeg_scan_decoding.cpp).
  // What a scan's loop keeps from one row of units to the next.
  struct ScanPosition {
    std::uint32_t since_restart = 0;  // units since the scan's start or last restart marker
    std::int32_t next_restart = 0;    // the number the next restart marker must carry, 0 to 7
  };
  // A scan header names one to three components.
  static constexpr std::uint32_t kMostScanComponents = 3;
  // One scan's components and restart interval and where its loop stands. The scan loops take
  // it rather than reader state, so that scans read ahead can be decoded on two threads at once.
  struct ScanContext {
    std::array<ImageComponent*, kMostScanComponents> components{};
    std::uint32_t component_count = 0;
    std::uint32_t restart_interval = 0;
    ScanPosition position;
  };
  void DecodeSequentialScan(InputByteStream& stream);
  // Rows of units decoded ahead of the worker, at most, and the rows handed over at a time.
  static constexpr std::uint32_t kRowsInFlight = 8;
  static constexpr std::uint32_t kRowsPerWake = 4;
  // The spectral band and the successive approximation of a progressive scan.
  struct ScanBand {
    std::uint32_t ss = 0;
    std::uint32_t se = 0;
    std::uint32_t ah = 0;
    std::uint32_t al = 0;
  };
  void DecodeProgressiveScan(InputByteStream& stream, const ScanBand& band);
  // Rows of units first to end - 1 of the current progressive scan, once StartScanLoop began it.
  void DecodeProgressiveRows(ScanContext& scan, InputByteStream& stream, const ScanBand& band,
                             std::uint32_t first, std::uint32_t end);
  // The inverse DCT of this reader's path: the vectorised one where the processor has it, or
  // the scalar reference.
  InverseDctRoutine InverseDctOfPath() const;
  // What a scan loop does after each row of units: by default nothing.
  struct NoRowHook {
    void operator()(std::uint32_t) const {}
  };
  // Runs the current scan whole: each data unit goes to decode_unit(component, row, col).
  template <typename DecodeUnit, typename RowDone = NoRowHook>
  void RunScan(InputByteStream& stream, bool progressive_scan, DecodeUnit decode_unit,
               RowDone row_done = {});
  // Resets what a scan starts from: predictions, end-of-band runs, restart counting.
  void StartScanLoop(ScanContext& scan);
  // Rows of units first to end - 1 of the current scan, as RunScan would decode them.
  template <typename DecodeUnit, typename RowDone = NoRowHook>
  void RunScanPart(ScanContext& scan, InputByteStream& stream, std::uint32_t first,
                   std::uint32_t end, bool progressive_scan, DecodeUnit decode_unit,
                   RowDone row_done = {});
  // Calls visit(component, block_row, block_col) for every data unit of MCU (row, col) of the
  // current interleaved scan, or of row `row` of the current scan, in stream order.
  template <typename Visit>
  void ForEachUnitOfMcu(const ScanContext& scan, std::uint32_t row, std::uint32_t col, Visit visit);
  template <typename Visit>
  void ForEachUnitOfScanRow(std::uint32_t row, Visit visit);
  // Rows of units in the current scan, and pixel rows per row of units.
  std::uint32_t ScanRows() const;
  std::uint32_t ScanRowHeight() const;
  template <typename DecodeUnit, typename RowDone = NoRowHook>
  void RunScanRows(ScanContext& scan, InputByteStream& stream, std::uint32_t first,
                   std::uint32_t end, std::uint32_t rows, std::uint32_t cols, bool progressive_scan,
                   DecodeUnit decode_unit, RowDone row_done = {});
  bool ScanCoversFrame() const;
  // No progress callback or trace sees the read between its start and its end.
  bool Unobserved() const { return progress_callback == nullptr && !trace.HasOutput(); }
  void ResetDcPredictions(const ScanContext& scan);
  void ResetEobRuns(const ScanContext& scan);
  void ProcessRestartMarker(ScanContext& scan, InputByteStream& stream);
  void ReportProgress(std::uint32_t percent);
  void CountScans(InputByteStream& stream);

  // Streamed rows (streamed_rows.cpp).
  void DecodeStreamedScan(InputByteStream& stream, InverseDctRoutine inverse_dct);
  void DecodeStreamedScanWithWorker(InputByteStream& stream, InverseDctRoutine inverse_dct);
  void ReconstructScanRow(std::uint32_t row, InverseDctRoutine inverse_dct);
  void TransferStreamedScanAfterFailure();

  // Progressive scans read ahead (scan_read_ahead.cpp).
  bool ReadScanAhead(InputByteStream& stream, const ScanBand& band);
  bool DecodeScansReadAhead();
  struct PendingScan;
  void DecodeRowsReadAhead(PendingScan& scan, std::uint32_t mcu_row);
  bool ScanEndsWhereReadAhead(const PendingScan& scan) const;
  void ReconstructRowReadAhead(std::uint32_t mcu_row);
  std::size_t FirstScanOfWorker() const;
  std::uint64_t ScanCost(const PendingScan& scan) const;
  void GiveScansToWorker(std::size_t first);

  // Image reading (jpeg_image_reading.cpp).
  // How one pass over the stream ended when it did not raise.
  enum class PassEnd { kRead, kReadAgainOnWholeGrid };
  PassEnd ReadImageOnce(InputByteStream& stream, BitmapImage& bitmap);
  void StartPass(BitmapImage& bitmap);
  PassEnd ReadPass(InputByteStream& stream);
  void ReadMarkers(InputByteStream& stream);
  void CheckTrailingData(InputByteStream& stream);
  void TransferAfterFailure();
  void ReleaseImage();
  void FinishBitmap();

  // From the blocks to the bitmap (bitmap_transfer.cpp).
  void TransferProgressiveByMcuRows();
  void PrepareProgressiveTransfer();
  bool TransferProgressiveMcuRow(std::uint32_t row);
  // Straight from the blocks; false where nothing could be written.
  bool ConvertRows(RowRange rows);
  void NoteRowsWritten(RowRange rows);

  JpegDecoder& owner;
  JpegDecoder::ProgressCallback progress_callback = nullptr;
  void* progress_data = nullptr;
  TableSlots<HuffmanTable, kTableCount> ac_tables;
  TableSlots<HuffmanTable, kTableCount> dc_tables;
  std::array<QuantizationTable, kTableCount> quantization_tables;
  bool eoi_found = false;
  bool frame_found = false;
  DecodePath decode_path = DecodePath::kFast;
  // The verbose listing; silent unless an output is set.
  MarkerTrace trace;
  // MCUs per restart interval, from DRI; 0: the scans carry no restart markers.
  std::uint32_t restart_interval = 0;
  std::uint32_t image_width = 0;
  std::uint32_t image_height = 0;
  std::uint32_t max_horizontal_frequency = 0;
  std::uint32_t max_vertical_frequency = 0;
  bool progressive = false;
  std::uint32_t component_count = 0;
  // Slot i belongs to component identifier i, not to the i-th component of the frame.
  ComponentSlots components;
  std::array<std::uint32_t, kComponentSlots> component_ids{};
  BitmapImage* current_image = nullptr;
  std::int32_t current_scan = 0;
  std::int32_t scan_total = 0;
  std::uint32_t mcu_rows = 0;
  std::uint32_t mcu_cols = 0;
  std::uint32_t mcu_height = 0;
  std::uint32_t mcu_width = 0;
  // The scan whose header was read last, as the marker loop decodes it.
  ScanContext active_scan;
  bool strict_jfif = false;
  bool cancelled = false;
  // The plan of the current read, and whether it must start again on the whole grid.
  PlanChoice plan;
  bool whole_grid_only = false;
  bool read_again = false;
  // The bitmap holds the whole picture, converted MCU row by MCU row during the image's only scan
  // so far; TransferToBitmap would write the same pixels again.
  bool bitmap_complete = false;
  // The bitmap's pixel buffer was not zero-filled (reused, or new from the allocator): the rows
  // the read did not write must be cleared when it ends.
  bool bitmap_unfilled = false;
  // The one record of what the read wrote: picture rows 0 to count - 1, whichever thread wrote
  // them. Written by the worker at every row it converts: on a line of its own.
  struct alignas(kCacheLineBytes) WrittenRows {
    std::uint32_t count = 0;
  };
  WrittenRows rows_written;
  // The first scan of a sequential image holding every component keeps only one MCU row of
  // samples, converted into the bitmap as soon as it is decoded, where nothing can look at the
  // blocks in between (no trace, no progress callback). Where the read fails, the row being
  // decoded and every row after it are converted as the whole grid would have given them.
  // Written at every unit by this thread while the worker reads the reader: on a line of its own.
  struct alignas(kCacheLineBytes) StreamedScan {
    bool active = false;
    bool on_worker = false;               // the worker transforms and converts (SetThreads)
    std::uint32_t row = 0;                // the row of units being decoded
    std::uint64_t units_done_in_row = 0;  // in stream order
  };
  StreamedScan streamed;
  // The scans read ahead, in stream order, each with a stream of its own over the same source.
  struct PendingScan {
    std::unique_ptr<InputByteStream> stream;  // in bit mode, where the scan has got to
    InputByteStream::Position data_end;       // the 0xFF of the marker after the scan's data
    std::uint64_t data_bytes = 0;
    ScanBand band;
    ScanContext context;
    std::array<ImageComponent::ScanState, kMostScanComponents> states{};
    // The tables the scan decodes with, copied: a later DHT may define their slots again.
    std::vector<std::pair<const HuffmanTable*, std::unique_ptr<HuffmanTable>>> tables;
  };
  std::vector<PendingScan> pending_scans;
  // Frame component i as the worker's scans read ahead see it (GiveScansToWorker).
  std::array<ImageComponent, kMostScanComponents> worker_components;
  std::uint64_t memory_limit = JpegDecoder::kDefaultMemoryLimit;
  std::uint64_t frame_memory_bytes = 0;
  std::uint64_t transformed_blocks = 0;
  // Reconstructs streamed rows while this thread decodes the next; none unless SetThreads asks,
  // and started by the first picture that is worth it, so that a decoder that only reads small
  // ones never starts a thread.
  bool use_worker = false;
  std::unique_ptr<RowWorker> worker;
  std::uint64_t worker_minimum_pixels = kWorkerMinimumPixels;
};

// The reader behind a decoder, for this tree's tests, fuzzers and benchmarks: its stream-level
// ReadImage and the frame and scan state the public class does not show.
JpegReader& ReaderOf(JpegDecoder& decoder);
const JpegReader& ReaderOf(const JpegDecoder& decoder);

}  // namespace Lumarc
