#pragma once

#include <cstdint>
#include <memory>

#include "lumarc/cache_line.h"
#include "lumarc/decode_path.h"
#include "lumarc/huffman_table.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/inverse_dct.h"

namespace Lumarc {

class BitmapImage;

// The frame-wide numbers a component derives its block grid from.
struct FrameGeometry {
  std::uint32_t image_width = 0;
  std::uint32_t image_height = 0;
  std::uint32_t max_horizontal_frequency = 0;
  std::uint32_t max_vertical_frequency = 0;
  std::uint32_t mcu_rows = 0;
  std::uint32_t mcu_cols = 0;
  bool progressive = false;
};

// One colour component of a frame: its sampling factors, the tables the current scan assigns to
// it, its grid of decoded 8 x 8 blocks (all of it, or the block rows of one MCU row: see
// SampleStorage) and, for progressive images, the coefficients that successive scans refine.
// Block (row, col) is stored at row (row & stored_row_mask), column col, whether the scan is
// interleaved or not.
class ImageComponent {
 public:
  // Each of the three component buffers is refused above this size. A frame may declare up to
  // 65535 x 65535 samples; decoding one that large would need tens of gigabytes per buffer.
  static constexpr std::uint64_t kMaxBufferBytes = std::uint64_t{1} << 30;

  ImageComponent();
  ~ImageComponent();
  ImageComponent(const ImageComponent&) = delete;
  ImageComponent& operator=(const ImageComponent&) = delete;

  // Configuration by the frame and scan headers.
  void SetHorizontalFrequency(std::uint32_t frequency);
  void SetVerticalFrequency(std::uint32_t frequency);
  void SetQuantizationTable(const QuantizationTable& table);
  void SetHuffmanTables(const HuffmanTable& dc_table, const HuffmanTable& ac_table);
  void CheckDcTable() const;
  void CheckAcTable() const;
  void CheckQuantizationTable() const;
  // Refuses, with JpegBadStream "Image Too Large to Decode", a grid whose buffers would exceed
  // kMaxBufferBytes. Uses this component's sampling frequencies.
  void CheckBufferSizes(const FrameGeometry& frame) const;
  // The bytes this component's buffers will take for the frame (data units, coefficients of a
  // progressive frame, the full-resolution plane), for the decoder's memory limit.
  std::uint64_t BufferBytes(const FrameGeometry& frame) const;
  // Where decoded samples are kept: in the whole grid, or only in the block rows of one MCU row,
  // which the fast paths turn into bitmap rows before the next MCU row takes their place. The
  // grid's geometry and the memory estimate are the same either way.
  enum class SampleStorage { kWholeGrid, kOneMcuRow };
  // A progressive frame's coefficients are kept for the whole grid unless coefficient_grid is
  // false, which leaves them to AllocateCoefficientRing.
  void AllocateComponentBuffers(const FrameGeometry& frame,
                                SampleStorage storage = SampleStorage::kWholeGrid,
                                bool coefficient_grid = true);
  void FreeComponentBuffers();
  // Makes this component decode into owner's coefficients with scan state of its own (tables,
  // predictor, end-of-band run), so that another thread can decode a scan of the same component
  // into other blocks while owner decodes one. It has no other buffers, and must let go of
  // owner's coefficients (FreeComponentBuffers) before they are freed.
  void DecodeIntoCoefficientsOf(const ImageComponent& owner);
  bool KeepsOneMcuRow() const { return stored_row_mask != kWholeGridMask; }

  // Data-unit decoders, called by the scan loops with the stream in bit mode. Path picks the
  // implementation (the scan loops choose it once per scan); both give the same results.
  template <DecodePath Path = DecodePath::kFast>
  void DecodeSequential(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                        InverseDctRoutine inverse_dct = inverse_dct_routine);
  // The same split in two, for a worker thread to transform while the next blocks are decoded:
  // the coefficients go into the ring (AllocateCoefficientRing), TransformUnit makes the samples.
  void DecodeSequentialCoefficients(InputByteStream& stream, std::uint32_t row, std::uint32_t col);
  void TransformUnit(std::uint32_t row, std::uint32_t col, InverseDctRoutine inverse_dct);
  // Coefficient storage for the block rows of `mcu_rows` MCU rows, reused row after row.
  // zeroed: whether the ring starts as zeros.
  void AllocateCoefficientRing(std::uint32_t mcu_rows, bool zeroed = false);
  // Zeroes the coefficients of block rows first to end - 1, wherever they are stored.
  void ClearCoefficientRows(std::uint32_t first, std::uint32_t end);
  template <DecodePath Path = DecodePath::kFast>
  void DecodeDcFirst(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                     std::uint32_t al);
  void DecodeDcRefine(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                      std::uint32_t al);
  template <DecodePath Path = DecodePath::kFast>
  void DecodeAcFirst(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                     std::uint32_t ss, std::uint32_t se, std::uint32_t al);
  template <DecodePath Path = DecodePath::kFast>
  void DecodeAcRefine(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                      std::uint32_t ss, std::uint32_t se, std::uint32_t al);
  // Transforms the accumulated coefficients with inverse_dct. A block whose coefficients are all
  // still zero takes the samples of the zero block, transformed once: the blocks transformed are
  // those some scan's data gave a value, not the whole grid a frame header declares.
  void ProgressiveInverseDct(InverseDctRoutine inverse_dct = inverse_dct_routine);
  // The same for block rows first to end - 1 only, into whichever storage holds them.
  void ProgressiveInverseDct(std::uint32_t first, std::uint32_t end,
                             InverseDctRoutine inverse_dct = inverse_dct_routine);
  // Gives block (row, col), or every stored block, the samples of a block never decoded (zeros),
  // as a read that failed before reaching it leaves it.
  void ClearUnit(std::uint32_t row, std::uint32_t col);
  void ClearStoredUnits();

  // Lays the blocks out into one full-resolution sample plane, repeating subsampled samples.
  void Upsample();

  void ResetDcPredictor() { dc_predictor = 0; }
  void ResetEobRun() { eob_run = 0; }
  // What a scan has set in this component and where its decoding stands, to put aside while
  // another scan of the component decodes and to take up again.
  struct ScanState {
    const HuffmanTable* dc_table = nullptr;
    const HuffmanTable* ac_table = nullptr;
    std::int32_t dc_predictor = 0;
    std::uint32_t eob_run = 0;
  };
  ScanState SavedScanState() const { return {dc_table, ac_table, dc_predictor, eob_run}; }
  void RestoreScanState(const ScanState& state) {
    dc_table = state.dc_table;
    ac_table = state.ac_table;
    dc_predictor = state.dc_predictor;
    eob_run = state.eob_run;
  }

  std::uint32_t HorizontalFrequency() const { return horizontal_frequency; }
  std::uint32_t VerticalFrequency() const { return vertical_frequency; }
  std::uint32_t HorizontalFactor() const { return grid.horizontal_factor; }
  std::uint32_t VerticalFactor() const { return grid.vertical_factor; }
  std::int32_t DcPredictor() const { return dc_predictor; }
  std::uint32_t EobRun() const { return eob_run; }
  std::uint32_t NoninterleavedRows() const { return grid.noninterleaved_rows; }
  std::uint32_t NoninterleavedCols() const { return grid.noninterleaved_cols; }
  std::uint32_t DataUnitRows() const { return grid.data_unit_rows; }
  std::uint32_t DataUnitCols() const { return grid.data_unit_cols; }
  bool HasDataUnits() const { return data_units != nullptr; }
  // Inverse DCTs run on this component's blocks since its buffers were last freed.
  std::uint64_t TransformedBlocks() const { return transformed_blocks; }
  // Block (row, col) of the grid; both must lie inside it and, where one MCU row is kept, the
  // row in the MCU row held.
  const DataUnit& DataUnitAt(std::uint32_t row, std::uint32_t col) const {
    return data_units[StoredIndex(row, col, stored_row_mask)];
  }
  // Coefficient block (row, col) in natural order; null unless the image is progressive.
  const CoefficientBlock* CoefficientsAt(std::uint32_t row, std::uint32_t col) const;
  // The same block to fill, for coefficients that come from elsewhere than a scan.
  CoefficientBlock* CoefficientsAt(std::uint32_t row, std::uint32_t col);
  // The full-resolution plane, PlaneRowLength() samples per row; null before Upsample.
  const std::uint8_t* UpsampledSamples() const { return upsampled_samples.get(); }
  std::uint32_t PlaneRowLength() const { return grid.data_unit_cols * 8 * grid.horizontal_factor; }
  std::uint32_t PlaneRows() const { return grid.data_unit_rows * 8 * grid.vertical_factor; }

 private:
  // This component's block grid in a frame and the bytes of its buffers there.
  struct Grid {
    // Vmax / V and Hmax / H: how often each sample is repeated when the plane is built.
    std::uint32_t vertical_factor = 0;
    std::uint32_t horizontal_factor = 0;
    // The data units a non-interleaved scan visits: the image area only, e.g. a 17 x 17 image
    // with 2 x 2 luminance has 2 x 2 of them for a 1 x 1 chroma component.
    std::uint32_t noninterleaved_rows = 0;
    std::uint32_t noninterleaved_cols = 0;
    // The whole grid, covering complete MCUs: V x mcu_rows by H x mcu_cols.
    std::uint32_t data_unit_rows = 0;
    std::uint32_t data_unit_cols = 0;
    std::uint64_t data_unit_bytes = 0;
    std::uint64_t coefficient_bytes = 0;  // progressive frames only
    std::uint64_t plane_bytes = 0;
  };
  Grid GridOf(const FrameGeometry& frame) const;
  void ComputeGrid(const FrameGeometry& frame);
  void StoreRows(SampleStorage storage);
  std::int32_t AddDcDifference(std::int32_t difference);
  template <DecodePath Path>
  std::int32_t DecodeDcDifference(InputByteStream& stream);
  std::uint32_t DecodeBlockFromWindow(InputByteStream& stream, CoefficientBlock& block);
  std::uint32_t DecodeDcOnCursor(InputByteStream& stream, InputByteStream::BitCursor& cursor,
                                 std::int16_t& dc);
  // DecodeBlockFromWindow's answer for a block whose first AC code ends it.
  static constexpr std::uint32_t kDcOnlyBlock = 65;
  std::uint32_t DecodeAcOnCursor(InputByteStream& stream, InputByteStream::BitCursor& cursor,
                                 CoefficientBlock& block, std::uint32_t k);
  bool TakeShortCoefficients(const HuffmanTable& table, InputByteStream& stream,
                             InputByteStream::BitCursor& cursor, CoefficientBlock& block,
                             std::int16_t dc, std::uint32_t& k);
  // Where a pair of short coefficients meets the block's end: the bits to take, and then the
  // next index, or kRefusedIndex for a coefficient beyond the last position. Returned rather than
  // applied to the cursor, which would then have to live in memory through the whole block.
  struct ShortCoefficientsEnd {
    std::uint32_t k;
    std::uint32_t length;
  };
  static constexpr std::uint32_t kRefusedIndex = 0xFFFFFFFF;
  ShortCoefficientsEnd EndShortCoefficients(const HuffmanTable::ShortCoefficients& pair,
                                            std::uint32_t bits, std::uint32_t first_k) const;
  template <DecodePath Path>
  bool DecodeBlock(InputByteStream& stream, CoefficientBlock& block);
  // Past every band: a first AC scan's block ended by an end-of-band code.
  static constexpr std::uint32_t kEndOfBand = 0xFFFFFFFF;
  std::uint32_t DecodeSequentialAcRun(InputByteStream& stream, CoefficientBlock& block,
                                      std::uint32_t k);
  std::uint32_t DecodeAcFirstRun(InputByteStream& stream, CoefficientBlock& block, std::uint32_t k,
                                 std::uint32_t se, std::uint32_t al);
  template <DecodePath Path>
  std::uint32_t DecodeAcFirstExact(InputByteStream& stream, CoefficientBlock& block,
                                   std::uint32_t k, std::uint32_t al);
  template <DecodePath Path>
  std::uint32_t DecodeSequentialAcExact(InputByteStream& stream, CoefficientBlock& block,
                                        std::uint32_t k);
  template <DecodePath Path, typename Walk>
  std::uint32_t DecodeAcRefineExact(InputByteStream& stream, Walk& walk, std::uint32_t k,
                                    std::uint32_t last, std::int32_t p);
  template <typename Walk>
  std::uint32_t DecodeAcRefineRun(InputByteStream& stream, Walk& walk, std::uint32_t k,
                                  std::uint32_t last, std::int32_t p);
  CoefficientBlock& Coefficients(std::uint32_t row, std::uint32_t col) {
    return coefficients[StoredIndex(row, col, coefficient_row_mask)];
  }
  DataUnit& Unit(std::uint32_t row, std::uint32_t col) {
    return data_units[StoredIndex(row, col, stored_row_mask)];
  }

  std::uint32_t horizontal_frequency = 0;
  std::uint32_t vertical_frequency = 0;
  const HuffmanTable* ac_table = nullptr;
  const HuffmanTable* dc_table = nullptr;
  const QuantizationTable* quantization_table = nullptr;
  // Empty until the first scan that includes this component, and again once its buffers go.
  Grid grid;
  // Block row r of the grid is stored row r & stored_row_mask: all of them, or a power of two
  // at least V when only one MCU row is kept (a mask where a modulo would cost a division).
  static constexpr std::uint32_t kWholeGridMask = UINT32_MAX;
  std::size_t StoredIndex(std::uint32_t row, std::uint32_t col, std::uint32_t row_mask) const {
    return std::size_t{row & row_mask} * grid.data_unit_cols + col;
  }
  std::uint32_t stored_row_mask = kWholeGridMask;
  std::uint32_t stored_rows = 0;
  std::unique_ptr<DataUnit[]> data_units;
  // The samples of an all-zero coefficient block, transformed once per read (progressive).
  std::unique_ptr<DataUnit> zero_unit;
  std::unique_ptr<std::uint8_t[]> upsampled_samples;
  struct FreeBlocks {
    // Not owned: another component's (DecodeIntoCoefficientsOf).
    FreeBlocks() : owned(true) {}
    explicit FreeBlocks(bool owned) : owned(owned) {}
    void operator()(CoefficientBlock* blocks) const;
    bool owned;
  };
  // From the C allocator: see AllocateBlocks.
  using CoefficientBuffer = std::unique_ptr<CoefficientBlock[], FreeBlocks>;
  CoefficientBuffer coefficients;
  // As stored_row_mask, for the coefficients: the whole grid, or a ring of block rows.
  std::uint32_t coefficient_row_mask = kWholeGridMask;
  // Written by the thread that transforms the blocks: the worker, where there is one.
  alignas(kCacheLineBytes) std::uint64_t transformed_blocks = 0;
  // Written at every unit by the thread that decodes the entropy-coded data; the component's
  // alignment leaves this last line to them alone.
  alignas(kCacheLineBytes) std::int32_t dc_predictor = 0;
  // Blocks of the current progressive AC scan still to skip (first scan) or refine.
  std::uint32_t eob_run = 0;
};

// Copies a component's plane into an 8-bit bitmap, top image row to the last stored row.
void ConvertGrayscale(const ImageComponent& component, BitmapImage& bitmap);

// Converts three planes, read with the luminance plane's row length, into a 24-bit bitmap.
void ConvertYCbCr(const ImageComponent& y, const ImageComponent& cb, const ImageComponent& cr,
                  BitmapImage& bitmap);

// Picture rows first to end - 1 (top row 0); rows beyond the bitmap's height are left out.
struct RowRange {
  std::uint32_t first = 0;
  std::uint32_t end = UINT32_MAX;
};

// The same pixels as Upsample followed by ConvertGrayscale or ConvertYCbCr, written row by row
// straight from the blocks, without Upsample's planes (block_conversion.cpp): all rows, or those
// of one MCU row as soon as its blocks are decoded. False, with nothing written, where the
// plane-based conversion would write nothing either (a component without blocks).
bool ConvertGrayscaleFromBlocks(const ImageComponent& component, BitmapImage& bitmap,
                                RowRange rows = {});
bool ConvertYCbCrFromBlocks(const ImageComponent& y, const ImageComponent& cb,
                            const ImageComponent& cr, BitmapImage& bitmap, RowRange rows = {});

}  // namespace Lumarc
