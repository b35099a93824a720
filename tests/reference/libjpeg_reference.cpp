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

void Configure(jpeg_decompress_struct& cinfo) {
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = FALSE;
  cinfo.do_block_smoothing = FALSE;
  cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
}

void ReadRows(jpeg_decompress_struct& cinfo, ReferencePicture& picture) {
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

// No C++ object with a destructor lives in this frame, so the jump back into it is safe.
bool Decode(Session& session, std::FILE* file, ReferencePicture& picture) {
  session.cinfo.err = jpeg_std_error(&session.errors);
  session.errors.error_exit = ExitByJump;
  session.errors.output_message = RecordWarning;
  if (setjmp(session.failed) != 0) return false;
  jpeg_create_decompress(&session.cinfo);
  jpeg_stdio_src(&session.cinfo, file);
  jpeg_read_header(&session.cinfo, TRUE);
  Configure(session.cinfo);
  jpeg_start_decompress(&session.cinfo);
  ReadRows(session.cinfo, picture);
  jpeg_finish_decompress(&session.cinfo);
  return true;
}

}  // namespace

ReferencePicture DecodeWithLibjpeg(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) throw std::runtime_error("libjpeg reference: cannot open " + path);
  auto session = std::make_unique<Session>();
  ReferencePicture picture;
  bool decoded = Decode(*session, file.get(), picture);
  jpeg_destroy_decompress(&session->cinfo);
  if (!decoded) throw std::runtime_error("libjpeg: " + std::string(session->message));
  if (session->errors.num_warnings != 0) {
    throw std::runtime_error("libjpeg warned: " + std::string(session->message));
  }
  return picture;
}

}  // namespace Lumarc::Reference
