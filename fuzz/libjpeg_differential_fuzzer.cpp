// Our fast decode against libjpeg-turbo's entropy decoding. Each input is read with
// jpeg_read_coefficients; wherever libjpeg-turbo takes the stream without an error or a
// warning, its coefficients go through our reference reconstruction (scalar inverse DCT,
// upsampling, colour conversion) and the picture must equal what our decoder makes of the same
// bytes. Our decoder may instead refuse the stream, but only for a reason Justified accepts
// (kJustifiedRefusals, and the few that hold only for certain bytes). The first byte holds the
// options as in decode_fuzzer (bit 1 strict JFIF, the rest ignored), so that fuzzer's corpus seeds
// this one.
//
// Where the two decoders legitimately differ on a stream libjpeg-turbo accepts cleanly, the
// expectation is adjusted rather than the input skipped:
// - A DQT segment that redefines a table between the scans of a progressive frame.
//   libjpeg-turbo dequantises each component with the table as it stood at the component's first
//   scan; our decoder keeps quantized coefficients until the end of the image and dequantises
//   them with the table as it stands then. The reference reconstruction is therefore given the
//   final tables of a progressive frame.
// - A colour frame in which some component is named by no scan. libjpeg-turbo decodes it as all
//   zero coefficients; our conversion needs every component's blocks and leaves the bitmap
//   zero-filled, as a read that reached none of the picture does.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <jpeglib.h>

#include "decode_outcome.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/decode_path.h"
#include "lumarc/reference_reconstruction.h"
#include "lumarc/zigzag.h"

namespace {

// Our refusals of streams that libjpeg-turbo decodes without complaint, each justified by the
// JFIF and JPEG rules or by a documented limit of this decoder.
constexpr std::string_view kJustifiedRefusals[] = {
    // JFIF: the APP0 "JFIF" segment follows SOI; libjpeg-turbo reads any JPEG stream.
    "Missing JFIF APP0 Marker",
    "Not a JFIF file",
    // JFIF pictures have one (Y) or three (YCbCr) components.
    "JFIF only supports 1 and 3 component streams",
    // Strict JFIF numbering (option bit 1): Y is 1, Cb 2, Cr 3.
    "Component ID not 1",
    "Invalid Component ID or ID out of order",
    // Our components are kept in 255 slots indexed by identifier; T.81 gives each frame
    // component its own identifier (libjpeg-turbo tells repeated ones apart by position).
    "Component ID 255 not supported",
    "Duplicate Component ID",
    // A segment's length counts its own two bytes (T.81 B.1.1.4), so it is at least 2;
    // libjpeg-turbo skips nothing for a shorter APPn or COM length and reads on.
    "Invalid Segment Length",
    // 8-bit samples take 8-bit quantization values (Pq = 0), each 1 to 255.
    "Only 8-bit Data is Supported",
    "Invalid Quantization Table Precision",
    "Zero value in quantization table",
    // A run that carries the coefficient index past 63 (libjpeg-turbo stores such a value at
    // position 63 without a word).
    "Coefficient Index out of Range",
    "Data out of range",
    "Error in progressive scan",
    // A scan's Huffman tables must be defined in the stream; libjpeg-turbo fills undefined ones
    // with the standard tables of T.81 Annex K, as Motion JPEG frames expect.
    "DC Table Not Defined",
    "AC Table Not Defined",
    // T.81 allows table selectors 0 to 3 only; libjpeg-turbo tests only the one a scan uses.
    "Huffman Table Selector outside range [0..3]",
    // Only whole sampling ratios are supported (planes of one row length).
    "Sampling Factor Ratio Not a Whole Number",
    // Arithmetic coding is not supported.
    "Cannot read image - Arithmetic Coding covered by patents",
    // Nothing but CR and LF and one last byte may follow EOI.
    "Extra Data After End of Image Marker",
    // The fuzzing memory limit.
    "Image Too Large for Memory",
    "Image Too Large to Decode",
};

// libjpeg-turbo frames larger than this are not compared: our limit refuses them anyway.
constexpr std::uint64_t kMaxComparedPixels = std::uint64_t{1} << 22;

struct ErrorManager {
  jpeg_error_mgr public_fields;
  std::jmp_buf jump;
  int warnings;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ++reinterpret_cast<ErrorManager*>(info->err)->warnings;
}

void OutputMessage(j_common_ptr) {}

// What libjpeg-turbo made of a stream: whether it took it cleanly, and if so the frame and its
// coefficients as our reconstruction wants them.
struct LibjpegCoefficients {
  bool clean = false;
  bool representable = true;  // every table 8-bit, so our reconstruction can take it
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool every_component_scanned = true;
  std::vector<Lumarc::ComponentCoefficients> components;
};

bool CopyTable(const JQUANT_TBL* table, Lumarc::ComponentCoefficients& component) {
  if (table == nullptr) return false;
  for (std::size_t z = 0; z < 64; ++z) {
    const UINT16 value = table->quantval[Lumarc::kZigzagToNatural[z]];
    if (value == 0 || value > 255) return false;
    component.quantization_values[z] = static_cast<std::uint8_t>(value);
  }
  return true;
}

void CopyBlocks(jpeg_decompress_struct& info, jvirt_barray_ptr array,
                const jpeg_component_info& from, Lumarc::ComponentCoefficients& component) {
  const auto round_up = [](JDIMENSION value, int factor) {
    return (value + static_cast<JDIMENSION>(factor) - 1) / static_cast<JDIMENSION>(factor) *
           static_cast<JDIMENSION>(factor);
  };
  component.block_rows = round_up(from.height_in_blocks, from.v_samp_factor);
  component.block_cols = round_up(from.width_in_blocks, from.h_samp_factor);
  component.blocks.resize(std::size_t{component.block_rows} * component.block_cols);
  for (JDIMENSION row = 0; row < component.block_rows; ++row) {
    JBLOCKARRAY rows =
        info.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&info), array, row, 1, FALSE);
    for (JDIMENSION col = 0; col < component.block_cols; ++col) {
      Lumarc::CoefficientBlock& block =
          component.blocks[std::size_t{row} * component.block_cols + col];
      for (std::size_t i = 0; i < 64; ++i) block[i] = rows[0][col][i];
    }
  }
}

// Runs between setjmp and any longjmp: no object with a destructor lives in its frames.
void ReadCoefficients(jpeg_decompress_struct& info, ErrorManager& errors,
                      std::span<const std::uint8_t> image, LibjpegCoefficients& result) {
  jpeg_mem_src(&info, image.data(), static_cast<unsigned long>(image.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return;
  if (std::uint64_t{info.image_width} * info.image_height > kMaxComparedPixels) return;
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&info);
  if (arrays == nullptr || errors.warnings != 0) return;
  result.width = info.image_width;
  result.height = info.image_height;
  result.components.resize(static_cast<std::size_t>(info.num_components));
  for (int ci = 0; ci < info.num_components; ++ci) {
    const jpeg_component_info& from = info.comp_info[ci];
    Lumarc::ComponentCoefficients& component = result.components[static_cast<std::size_t>(ci)];
    component.horizontal_frequency = static_cast<std::uint32_t>(from.h_samp_factor);
    component.vertical_frequency = static_cast<std::uint32_t>(from.v_samp_factor);
    // libjpeg-turbo latches a component's table at the first scan that names it, so a
    // component without one was in no scan. See the head of this file: a progressive frame is
    // dequantised with its final tables.
    if (from.quant_table == nullptr) {
      result.every_component_scanned = false;
    } else if (!CopyTable(info.progressive_mode ? info.quant_tbl_ptrs[from.quant_tbl_no]
                                                : from.quant_table,
                          component)) {
      result.representable = false;
    }
    CopyBlocks(info, arrays[ci], from, component);
  }
  jpeg_finish_decompress(&info);
  result.clean = errors.warnings == 0;
}

LibjpegCoefficients DecodeWithLibjpeg(std::span<const std::uint8_t> image) {
  LibjpegCoefficients result;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.public_fields);
  errors.public_fields.error_exit = ErrorExit;
  errors.public_fields.emit_message = EmitMessage;
  errors.public_fields.output_message = OutputMessage;
  jpeg_create_decompress(&info);
  if (setjmp(errors.jump) == 0) {
    ReadCoefficients(info, errors, image, result);
  } else {
    result = LibjpegCoefficients{};
  }
  jpeg_destroy_decompress(&info);
  return result;
}

BitmapContents Expected(const LibjpegCoefficients& libjpeg) {
  Lumarc::BitmapImage bitmap;
  if (libjpeg.every_component_scanned) {
    Lumarc::ReconstructOnReferencePaths(libjpeg.width, libjpeg.height, libjpeg.components, bitmap);
  } else {
    bitmap.Allocate(0, 24, libjpeg.width, libjpeg.height);  // zero-filled
  }
  return ContentsOf(bitmap);
}

// Inside entropy-coded data a 0xFF is followed by a stuffed 0x00, and fill bytes 0xFF only
// precede a marker. libjpeg-turbo reads 0xFF 0xFF ... 0x00 as one data byte 0xFF; we refuse it.
bool HasFillBytesBeforeStuffing(std::span<const std::uint8_t> image) {
  for (std::size_t at = 0; at + 2 < image.size(); ++at) {
    if (image[at] != 0xFF || image[at + 1] != 0xFF) continue;
    std::size_t end = at + 1;
    while (end < image.size() && image[end] == 0xFF) ++end;
    if (end < image.size() && image[end] == 0x00) return true;
    at = end;
  }
  return false;
}

bool IsRestartMarker(std::uint8_t code) {
  return code >= 0xD0 && code <= 0xD7;
}

// Entropy-coded data ends with the last MCU of its scan or restart interval, padded with 1-bits
// to a byte boundary. libjpeg-turbo drops what its bit buffer has read ahead (up to 7 bytes) when
// it meets the marker that follows, so a few bytes of surplus data pass unremarked there. We
// expect the marker right after the padding: at a restart position we refuse anything else
// ("Missing Restart Marker"), after a scan a surplus stuffed 0xFF 0x00 reads as marker 0x00.
bool MarkerJustAhead(std::span<const std::uint8_t> image, std::streamoff position,
                     bool restart_only) {
  constexpr int kReadAhead = 8;  // data bytes, a stuffed 0xFF 0x00 with its fill bytes as one
  std::size_t at = position > 0 ? static_cast<std::size_t>(position) - 1 : 0;
  for (int data_bytes = 0; data_bytes <= kReadAhead && at < image.size(); ++data_bytes) {
    if (image[at] != 0xFF) {
      ++at;
      continue;
    }
    while (at < image.size() && image[at] == 0xFF) ++at;
    if (at == image.size()) return false;
    const std::uint8_t code = image[at++];
    if (code != 0x00) return !restart_only || IsRestartMarker(code);
  }
  return false;
}

bool Justified(const DecodeOutcome& ours, std::span<const std::uint8_t> image) {
  for (std::string_view refusal : kJustifiedRefusals) {
    if (ours.message == refusal) return true;
  }
  if (ours.message == "Invalid Marker in Compressed Data" ||
      ours.message == "Invalid Marker in Compressed Stream") {
    return HasFillBytesBeforeStuffing(image);
  }
  if (ours.message == "Missing Restart Marker") return MarkerJustAhead(image, ours.position, true);
  return ours.message == "Unknown, unsupported, or reserved marker encountered" &&
         MarkerJustAhead(image, ours.position, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool strict = (data[0] & 2) != 0;
  const std::span<const std::uint8_t> image(data + 1, size - 1);

  const DecodeOutcome ours = DecodeForFuzzing(image, false, strict);
  const LibjpegCoefficients libjpeg = DecodeWithLibjpeg(image);
  if (!libjpeg.clean) return 0;
  if (!ours.error.empty()) {
    if (Justified(ours, image)) return 0;
    std::fprintf(stderr, "libjpeg-turbo decodes the stream cleanly; we refuse it: \"%s\"\n",
                 ours.error.c_str());
    std::abort();
  }
  if (!libjpeg.representable) {
    std::fprintf(stderr, "we accept a quantization table libjpeg-turbo reads as not 8-bit\n");
    std::abort();
  }
  if (!(ours.bitmap == Expected(libjpeg))) {
    std::fprintf(stderr,
                 "our decode differs from libjpeg-turbo's coefficients through the reference "
                 "reconstruction (%u x %u, %u bits)\n",
                 ours.bitmap.width, ours.bitmap.height, ours.bitmap.bit_count);
    std::abort();
  }
  return 0;
}
