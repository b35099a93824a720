// The frame header (SOF0, SOF1, SOF2), which fixes the image size, the components and the MCU
// geometry, and the scan header (SOS), which sets one scan up and runs it.
#include <algorithm>

#include "lumarc/bitmap_image.h"
#include "lumarc/bitmap_image_storage.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"

namespace Lumarc {

namespace {
using JpegBadStream = JpegDecoder::JpegBadStream;
}  // namespace

void JpegReader::ReadFrameHeader(InputByteStream& stream, std::uint8_t code) {
  // The components' buffers were made for the first frame's geometry; a new frame would index
  // them with another one.
  if (current_scan > 0) throw JpegBadStream(message::kFrameAfterScan);
  progressive = code == 0xC2;  // SOF0 and SOF1 decode alike
  const std::uint32_t length = stream.ReadWord();
  const std::uint32_t precision = stream.ReadByte();
  if (precision != 8) throw JpegBadStream(message::kOnly8BitData);
  image_height = stream.ReadWord();
  image_width = stream.ReadWord();
  component_count = stream.ReadByte();
  if (component_count != 1 && component_count != 3) {
    throw JpegBadStream(message::kComponentCountNotOneOrThree);
  }
  trace.FrameHeading(length, precision, image_height, image_width, component_count);
  if (length != 8 + 3 * component_count) throw JpegBadStream(message::kInvalidFrameSize);
  max_horizontal_frequency = max_vertical_frequency = 0;
  for (std::uint32_t i = 0; i < component_count; ++i) ReadFrameComponent(stream, i);
  CheckSamplingRatios();
  ComputeMcuGeometry();
  CheckMemoryNeeds();
  PrepareImage();
  trace.SegmentEnd();
  frame_found = true;
}

void JpegReader::ReadFrameComponent(InputByteStream& stream, std::uint32_t index) {
  const std::uint32_t id = stream.ReadByte();
  if (strict_jfif) {
    if (component_count == 1 && id != 1) throw JpegBadStream(message::kComponentIdNotOne);
    if (id != index + 1) throw JpegBadStream(message::kComponentIdOutOfOrder);
  }
  // Slots are indexed by the identifier byte, and there are only 255 of them.
  if (id >= kComponentSlots) throw JpegBadStream(message::kComponentId255);
  // Two frame components in one slot would decode into, and convert from, the same blocks.
  const auto earlier = component_ids.begin() + index;
  if (std::find(component_ids.begin(), earlier, id) != earlier) {
    throw JpegBadStream(message::kComponentIdRepeated);
  }
  component_ids[index] = id;
  ImageComponent& component = components[id];
  const std::uint8_t sampling = stream.ReadByte();
  component.SetHorizontalFrequency(sampling >> 4);
  component.SetVerticalFrequency(sampling & 0x0F);
  const std::uint32_t table = stream.ReadByte();
  if (table >= kTableCount) throw JpegBadStream(message::kBadQuantizationTableIndex);
  // Whether the table is defined is tested at each scan: a DQT may still follow.
  component.SetQuantizationTable(quantization_tables[table]);
  max_horizontal_frequency = std::max(max_horizontal_frequency, component.HorizontalFrequency());
  max_vertical_frequency = std::max(max_vertical_frequency, component.VerticalFrequency());
  trace.FrameComponent(id, component.HorizontalFrequency(), component.VerticalFrequency(), table);
}

// Upsampling repeats each sample Hmax / H times; with factors 3 and 2 (ratio 1.5) the planes of
// the components would not line up, and the shared-index colour conversion would overrun.
void JpegReader::CheckSamplingRatios() const {
  for (std::uint32_t i = 0; i < component_count; ++i) {
    const ImageComponent& component = components[component_ids[i]];
    if (max_horizontal_frequency % component.HorizontalFrequency() != 0 ||
        max_vertical_frequency % component.VerticalFrequency() != 0) {
      throw JpegBadStream(message::kSamplingRatioNotWhole);
    }
  }
}

// Every buffer of the image is counted before the first is allocated: a header of a few bytes
// can declare 65535 x 65535 pixels. A 4:2:0 colour frame of 1000 x 1000 needs 3 MB of bitmap,
// and per 8 x 8 block a DataUnit, a plane of 64 repeated samples (and 128 bytes of coefficients
// when progressive).
void JpegReader::CheckMemoryNeeds() {
  const FrameGeometry frame = Geometry();
  std::uint64_t bytes = BitmapImage::AllocationBytes(
      component_count == 1 ? 256 : 0, component_count == 1 ? 8 : 24, image_width, image_height);
  for (std::uint32_t i = 0; i < component_count; ++i) {
    const ImageComponent& component = components[component_ids[i]];
    component.CheckBufferSizes(frame);
    bytes += component.BufferBytes(frame);  // each at most 2^30 x 3: no wrap
  }
  frame_memory_bytes = bytes;
  if (bytes > memory_limit) throw JpegError(message::kImageTooLargeForMemory);
}

// Factors 2x2, 1x1, 1x1 give a 16 x 16 MCU; a 100 x 75 image then has 7 columns and 5 rows.
void JpegReader::ComputeMcuGeometry() {
  mcu_height = 8 * max_vertical_frequency;
  mcu_width = 8 * max_horizontal_frequency;
  mcu_rows = (image_height + mcu_height - 1) / mcu_height;
  mcu_cols = (image_width + mcu_width - 1) / mcu_width;
}

// The fast path writes every pixel whenever it converts at all, so a reused pixel buffer is not
// zero-filled first; ReleaseImage zeroes what the read did not write (see FinishBitmap). With a
// progress callback, which may look at the bitmap during the read, it is zero-filled as before.
// The bitmap's own refusal of a size is the decoder's, as the memory limit's is.
void JpegReader::AllocateBitmap(std::uint32_t color_count, std::uint32_t bit_count) {
  try {
    if (decode_path == DecodePath::kFast && progress_callback == nullptr) {
      bitmap_unfilled = BitmapImageStorage::AllocateUnfilled(*current_image, color_count, bit_count,
                                                             image_width, image_height);
    } else {
      current_image->Allocate(color_count, bit_count, image_width, image_height);
    }
  } catch (const JpegError&) {
    throw;
  } catch (const GraphicsException& refusal) {
    throw JpegError(refusal.what());
  }
}

void JpegReader::PrepareImage() {
  if (current_image == nullptr) throw JpegError(message::kNotReadingAnImage);
  if (component_count == 1) {
    AllocateBitmap(256, 8);
    for (std::uint32_t i = 0; i < 256; ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      current_image->PaletteEntry(i) = {level, level, level};
    }
  } else {
    AllocateBitmap(0, 24);
  }
}

void JpegReader::ReadScanHeader(InputByteStream& stream) {
  // The grid keeps what a second scan of a streamed picture builds on.
  if (plan.plan == ReadPlan::kStreamedRows) {
    read_again = true;
    return;
  }
  if (!frame_found) throw JpegBadStream(message::kScanBeforeFrame);
  const std::uint32_t length = stream.ReadWord();  // only listed, never tested
  trace.ScanHeading(length);
  const std::uint32_t count = stream.ReadByte();
  if (count == 0 || count > 3) throw JpegBadStream(message::kInvalidScanComponentCount);
  active_scan.component_count = count;
  active_scan.restart_interval = restart_interval;
  for (std::uint32_t i = 0; i < count; ++i) ReadScanComponent(stream, i);
  const std::uint32_t ss = stream.ReadByte();
  const std::uint32_t se = stream.ReadByte();
  const std::uint8_t approximation = stream.ReadByte();
  const std::uint32_t ah = approximation >> 4;
  const std::uint32_t al = approximation & 0x0F;
  trace.ScanParameters(ss, se, ah, al);
  trace.SegmentEnd();
  if (current_scan == 0) SetReadPlan(stream);
  PrepareScanComponents(ss, ChooseSampleStorage());
  ++current_scan;
  bitmap_complete = false;  // this scan may change blocks the bitmap was converted from
  if (plan.plan == ReadPlan::kScansReadAhead) {
    read_again = !ReadScanAhead(stream, {ss, se, ah, al});
    return;
  }
  stream.BeginBitReading();
  if (progressive) {
    DecodeProgressiveScan(stream, {ss, se, ah, al});
  } else {
    DecodeSequentialScan(stream);
  }
  stream.EndBitReading();
  ReportProgress(100);
}

// A scan may only name components of the current frame. A slot keeps its sampling factors from
// earlier frames and images, but its buffers would not match this frame's geometry.
void JpegReader::ReadScanComponent(InputByteStream& stream, std::uint32_t index) {
  const std::uint32_t id = stream.ReadByte();
  if (!IsFrameComponent(id) || components[id].HorizontalFrequency() == 0) {
    throw JpegBadStream(message::kComponentNotDefined);
  }
  ImageComponent& component = components[id];
  active_scan.components[index] = &component;
  const std::uint8_t selectors = stream.ReadByte();
  const std::uint32_t dc = selectors >> 4;
  const std::uint32_t ac = selectors & 0x0F;
  // Only tables 0 to 3 exist; the nibbles could name up to 15.
  if (dc >= kTableCount || ac >= kTableCount) {
    throw JpegBadStream(message::kHuffmanTableSelectorOutOfRange);
  }
  component.SetHuffmanTables(dc_tables[dc], ac_tables[ac]);
  trace.ScanComponent(id, dc, ac);
}

bool JpegReader::IsFrameComponent(std::uint32_t id) const {
  const auto first = component_ids.begin();
  return id < kComponentSlots &&
         std::find(first, first + component_count, id) != first + component_count;
}

// Progressive samples exist only once the read ends, made from the coefficients MCU row by MCU
// row. Sequential ones are kept whole unless the plan streams the rows.
ImageComponent::SampleStorage JpegReader::ChooseSampleStorage() const {
  using enum ImageComponent::SampleStorage;
  if (decode_path != DecodePath::kFast || (component_count != 1 && component_count != 3)) {
    return kWholeGrid;
  }
  if (progressive) return kOneMcuRow;
  return plan.plan == ReadPlan::kStreamedRows ? kOneMcuRow : kWholeGrid;
}

// A progressive DC scan needs only the DC table, an AC scan only the AC table.
void JpegReader::PrepareScanComponents(std::uint32_t ss, ImageComponent::SampleStorage storage) {
  for (std::uint32_t i = 0; i < active_scan.component_count; ++i) {
    ImageComponent& component = *active_scan.components[i];
    component.CheckQuantizationTable();
    if (!progressive || ss == 0) component.CheckDcTable();
    if (!progressive || ss != 0) component.CheckAcTable();
    component.AllocateComponentBuffers(Geometry(), storage,
                                       plan.plan != ReadPlan::kScansReadAhead);
  }
}

}  // namespace Lumarc
