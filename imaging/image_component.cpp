// Configuration, table checks and the block buffers of one frame component.
#include "lumarc/image_component.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include "lumarc/huffman_table.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"
#include "lumarc/quantization_table.h"

namespace Lumarc {

namespace {

using JpegError = JpegDecoder::JpegError;
using JpegBadStream = JpegDecoder::JpegBadStream;

std::uint32_t CeilDiv(std::uint32_t value, std::uint32_t divisor) {
  return static_cast<std::uint32_t>((std::uint64_t{value} + divisor - 1) / divisor);
}

}  // namespace

// No product here can overflow 64 bits: a 16-bit image size gives at most 8192 MCU rows, so at
// most 4 x 8192 = 32768 data-unit rows and columns, 2^30 blocks, and a plane of at most
// 2^30 x 64 x 4 x 4 = 2^40 bytes.
//
// The plane counted here is the full-resolution one of the reference path (Upsample); the fast
// path never makes it. It stays in the estimate so that both paths refuse the same frames at the
// same point, as they must to give the same results.
ImageComponent::Grid ImageComponent::GridOf(const FrameGeometry& frame) const {
  Grid result;
  result.vertical_factor = frame.max_vertical_frequency / vertical_frequency;
  result.horizontal_factor = frame.max_horizontal_frequency / horizontal_frequency;
  result.noninterleaved_rows = CeilDiv(frame.image_height, 8 * result.vertical_factor);
  result.noninterleaved_cols = CeilDiv(frame.image_width, 8 * result.horizontal_factor);
  result.data_unit_rows = vertical_frequency * frame.mcu_rows;
  result.data_unit_cols = horizontal_frequency * frame.mcu_cols;
  const std::uint64_t blocks = std::uint64_t{result.data_unit_rows} * result.data_unit_cols;
  result.data_unit_bytes = blocks * sizeof(DataUnit);
  result.coefficient_bytes = frame.progressive ? blocks * sizeof(CoefficientBlock) : 0;
  result.plane_bytes = blocks * 64 * result.vertical_factor * result.horizontal_factor;
  return result;
}

ImageComponent::ImageComponent() = default;
ImageComponent::~ImageComponent() = default;

void ImageComponent::SetHorizontalFrequency(std::uint32_t frequency) {
  if (frequency < 1 || frequency > 4) throw JpegError(message::kHorizontalSamplingOutOfRange);
  horizontal_frequency = frequency;
}

void ImageComponent::SetVerticalFrequency(std::uint32_t frequency) {
  if (frequency < 1 || frequency > 4) {
    throw JpegError(message::kVerticalSamplingOutOfRange);
  }
  vertical_frequency = frequency;
}

void ImageComponent::SetQuantizationTable(const QuantizationTable& table) {
  quantization_table = &table;
}

void ImageComponent::SetHuffmanTables(const HuffmanTable& dc, const HuffmanTable& ac) {
  dc_table = &dc;
  ac_table = &ac;
}

// A DHT whose counts are all 0 defines a table without codes; it passes here and its first
// Decode fails with "Bad Huffman Code Length".
void ImageComponent::CheckDcTable() const {
  if (dc_table == nullptr || !dc_table->IsDefined()) throw JpegError(message::kDcTableNotDefined);
}

void ImageComponent::CheckAcTable() const {
  if (ac_table == nullptr || !ac_table->IsDefined())
    throw JpegBadStream(message::kAcTableNotDefined);
}

void ImageComponent::CheckQuantizationTable() const {
  if (quantization_table == nullptr) {
    throw JpegError(message::kQuantizationTableNotAssigned);
  }
  if (!quantization_table->IsDefined()) throw JpegBadStream(message::kQuantizationTableNotDefined);
}

void ImageComponent::CheckBufferSizes(const FrameGeometry& frame) const {
  const Grid needs = GridOf(frame);
  if (needs.data_unit_bytes > kMaxBufferBytes || needs.coefficient_bytes > kMaxBufferBytes ||
      needs.plane_bytes > kMaxBufferBytes) {
    throw JpegBadStream(message::kImageTooLargeToDecode);
  }
}

std::uint64_t ImageComponent::BufferBytes(const FrameGeometry& frame) const {
  const Grid needs = GridOf(frame);
  return needs.data_unit_bytes + needs.coefficient_bytes + needs.plane_bytes;
}

namespace {

enum class Zeroed { kNo, kYes };

// calloc for zeroed blocks: a whole grid of them comes from fresh pages that are zero already,
// where new[] would write 2 bytes a sample once more before the first scan. A ring is written
// whole before it is read.
CoefficientBlock* AllocateBlocks(std::size_t count, Zeroed zeroed) {
  if (count > SIZE_MAX / sizeof(CoefficientBlock)) throw std::bad_alloc();
  void* blocks = zeroed == Zeroed::kYes ? std::calloc(count, sizeof(CoefficientBlock))
                                        : std::malloc(count * sizeof(CoefficientBlock));
  if (blocks == nullptr && count != 0) throw std::bad_alloc();
  return static_cast<CoefficientBlock*>(blocks);
}

}  // namespace

void ImageComponent::FreeBlocks::operator()(CoefficientBlock* blocks) const {
  if (owned) std::free(blocks);
}

// Buffers that exist stay: later scans of the same image reuse the grid, and progressive
// coefficients accumulate across scans.
void ImageComponent::AllocateComponentBuffers(const FrameGeometry& frame, SampleStorage storage,
                                              bool coefficient_grid) {
  try {
    if (!data_units) {
      CheckBufferSizes(frame);
      ComputeGrid(frame);
      StoreRows(storage);
      data_units.reset(new DataUnit[std::size_t{stored_rows} * grid.data_unit_cols]);
    }
    if (frame.progressive && coefficient_grid && !coefficients) {
      coefficients.reset(
          AllocateBlocks(std::size_t{grid.data_unit_rows} * grid.data_unit_cols, Zeroed::kYes));
    }
  } catch (const std::bad_alloc&) {
    throw JpegError(message::kNotEnoughMemory);
  }
}

// The frame header has refused frames whose Hmax / H or Vmax / V is not a whole number, so the
// factors are exact and every component's plane has the same size.
void ImageComponent::ComputeGrid(const FrameGeometry& frame) {
  grid = GridOf(frame);
}

void ImageComponent::StoreRows(SampleStorage storage) {
  if (storage == SampleStorage::kWholeGrid) {
    stored_row_mask = kWholeGridMask;
    stored_rows = grid.data_unit_rows;
    return;
  }
  const std::uint32_t rows = std::bit_ceil(vertical_frequency);
  stored_row_mask = rows - 1;
  stored_rows = rows;
}

void ImageComponent::ClearUnit(std::uint32_t row, std::uint32_t col) {
  Unit(row, col).samples = {};
}

void ImageComponent::ClearStoredUnits() {
  const std::size_t count = std::size_t{stored_rows} * grid.data_unit_cols;
  for (std::size_t i = 0; i < count; ++i) data_units[i].samples = {};
}

void ImageComponent::AllocateCoefficientRing(std::uint32_t mcu_rows, bool zeroed) {
  const std::uint32_t rows = std::bit_ceil(vertical_frequency * mcu_rows);
  try {
    coefficients.reset(AllocateBlocks(std::size_t{rows} * grid.data_unit_cols,
                                      zeroed ? Zeroed::kYes : Zeroed::kNo));
  } catch (const std::bad_alloc&) {
    throw JpegError(message::kNotEnoughMemory);
  }
  coefficient_row_mask = rows - 1;
}

void ImageComponent::ClearCoefficientRows(std::uint32_t first, std::uint32_t end) {
  for (std::uint32_t row = first; row < end; ++row) {
    std::memset(&Coefficients(row, 0), 0, sizeof(CoefficientBlock) * grid.data_unit_cols);
  }
}

void ImageComponent::DecodeIntoCoefficientsOf(const ImageComponent& owner) {
  FreeComponentBuffers();
  horizontal_frequency = owner.horizontal_frequency;
  vertical_frequency = owner.vertical_frequency;
  grid = owner.grid;
  coefficients = CoefficientBuffer(owner.coefficients.get(), FreeBlocks{false});
  coefficient_row_mask = owner.coefficient_row_mask;
}

void ImageComponent::FreeComponentBuffers() {
  coefficient_row_mask = kWholeGridMask;
  data_units.reset();
  zero_unit.reset();
  stored_row_mask = kWholeGridMask;
  stored_rows = 0;
  coefficients = CoefficientBuffer();  // with a deleter that frees
  upsampled_samples.reset();
  // The grid goes with its buffers, so that nothing can index a buffer that no longer exists.
  grid = {};
  transformed_blocks = 0;
}

const CoefficientBlock* ImageComponent::CoefficientsAt(std::uint32_t row, std::uint32_t col) const {
  if (!coefficients) return nullptr;
  return &coefficients[StoredIndex(row, col, coefficient_row_mask)];
}

CoefficientBlock* ImageComponent::CoefficientsAt(std::uint32_t row, std::uint32_t col) {
  if (!coefficients) return nullptr;
  return &coefficients[StoredIndex(row, col, coefficient_row_mask)];
}

}  // namespace Lumarc
