#include "libjpeg_reference.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace Lumarc::Reference {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return; it cannot unwind
// C++ frames, so it jumps back to the one place that called into the library.
struct Session {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  std::jmp_buf failed{};
  char message[JMSG_LENGTH_MAX] = {};
};

Session& SessionOf(j_common_ptr cinfo) {
  // cinfo is the first member, so the session starts at the same address.
  return *reinterpret_cast<Session*>(cinfo);
}

void ExitByJump(j_common_ptr cinfo) {
  Session& session = SessionOf(cinfo);
  cinfo->err->format_message(cinfo, session.message);
  std::longjmp(session.failed, 1);
}

// Keeps the last warning instead of printing it; num_warnings counts them.
void RecordWarning(j_common_ptr cinfo) {
  cinfo->err->format_message(cinfo, SessionOf(cinfo).message);
}

// Opens the file, reads its header and hands the decompressor to read. Neither this frame nor
// read's may hold an object with a destructor: a libjpeg error jumps straight back here.
template <typename Read>
bool Guarded(Session& session, std::FILE* file, Read read) {
  session.cinfo.err = jpeg_std_error(&session.errors);
  session.errors.error_exit = ExitByJump;
  session.errors.output_message = RecordWarning;
  if (setjmp(session.failed) != 0) return false;
  jpeg_create_decompress(&session.cinfo);
  jpeg_stdio_src(&session.cinfo, file);
  jpeg_read_header(&session.cinfo, TRUE);
  read(session.cinfo);
  jpeg_finish_decompress(&session.cinfo);
  return true;
}

template <typename Read>
void ReadFile(const std::string& path, Read read) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) throw std::runtime_error("libjpeg reference: cannot open " + path);
  auto session = std::make_unique<Session>();
  bool read_whole = Guarded(*session, file.get(), read);
  jpeg_destroy_decompress(&session->cinfo);
  if (!read_whole) throw std::runtime_error("libjpeg: " + std::string(session->message));
  if (session->errors.num_warnings != 0) {
    throw std::runtime_error("libjpeg warned: " + std::string(session->message));
  }
}

void ReadRows(jpeg_decompress_struct& cinfo, ReferencePicture& picture) {
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = FALSE;
  cinfo.do_block_smoothing = FALSE;
  cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  picture.width = cinfo.output_width;
  picture.height = cinfo.output_height;
  picture.channels = static_cast<uint32_t>(cinfo.output_components);
  size_t row_size = size_t{picture.width} * picture.channels;
  picture.samples.assign(row_size * picture.height, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = picture.samples.data() + row_size * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
}

void ReadComponent(jpeg_decompress_struct& cinfo, jvirt_barray_ptr array, int index,
                   ReferenceComponent& component) {
  const jpeg_component_info& info = cinfo.comp_info[index];
  uint32_t mcu_width = 8 * static_cast<uint32_t>(cinfo.max_h_samp_factor);
  uint32_t mcu_height = 8 * static_cast<uint32_t>(cinfo.max_v_samp_factor);
  component.horizontal = static_cast<uint32_t>(info.h_samp_factor);
  component.vertical = static_cast<uint32_t>(info.v_samp_factor);
  component.block_cols = component.horizontal * ((cinfo.image_width + mcu_width - 1) / mcu_width);
  component.block_rows = component.vertical * ((cinfo.image_height + mcu_height - 1) / mcu_height);
  for (int i = 0; i < 64; ++i) component.quantization[i] = info.quant_table->quantval[i];
  component.blocks.resize(size_t{component.block_rows} * component.block_cols);
  for (uint32_t row = 0; row < component.block_rows; ++row) {
    JBLOCKARRAY blocks =
        cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), array, row, 1, FALSE);
    for (uint32_t col = 0; col < component.block_cols; ++col) {
      auto& block = component.blocks[size_t{row} * component.block_cols + col];
      for (int i = 0; i < 64; ++i) block[i] = blocks[0][col][i];
    }
  }
}

void ReadBlocks(jpeg_decompress_struct& cinfo, ReferenceCoefficients& coefficients) {
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
  coefficients.width = cinfo.image_width;
  coefficients.height = cinfo.image_height;
  coefficients.max_horizontal = static_cast<uint32_t>(cinfo.max_h_samp_factor);
  coefficients.max_vertical = static_cast<uint32_t>(cinfo.max_v_samp_factor);
  coefficients.components.resize(static_cast<size_t>(cinfo.num_components));
  for (int i = 0; i < cinfo.num_components; ++i) {
    ReadComponent(cinfo, arrays[i], i, coefficients.components[i]);
  }
}

}  // namespace

ReferencePicture DecodeWithLibjpeg(const std::string& path) {
  ReferencePicture picture;
  ReadFile(path, [&picture](jpeg_decompress_struct& cinfo) { ReadRows(cinfo, picture); });
  return picture;
}

ReferenceCoefficients ReadCoefficientsWithLibjpeg(const std::string& path) {
  ReferenceCoefficients coefficients;
  ReadFile(path,
           [&coefficients](jpeg_decompress_struct& cinfo) { ReadBlocks(cinfo, coefficients); });
  return coefficients;
}

}  // namespace Lumarc::Reference
