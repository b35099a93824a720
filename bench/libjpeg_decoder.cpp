#include "libjpeg_decoder.h"

#include <cstdio>

#include <jpeglib.h>

struct LibjpegDecoder::State {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
};

LibjpegDecoder::LibjpegDecoder(Settings settings)
    : settings(settings), state(std::make_unique<State>()) {
  state->info.err = jpeg_std_error(&state->errors);
  jpeg_create_decompress(&state->info);
}

LibjpegDecoder::~LibjpegDecoder() {
  jpeg_destroy_decompress(&state->info);
}

void LibjpegDecoder::Decode(std::span<const std::uint8_t> bytes) {
  jpeg_decompress_struct& info = state->info;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (settings == Settings::kMatched) {
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
  }
  const bool grey = info.num_components == 1;
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  const std::size_t row_bytes = (std::size_t{info.output_width} * (grey ? 1 : 3) + 3) & ~3u;
  pixels.resize(row_bytes * info.output_height);  // keeps its capacity: no fresh pages
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + (info.output_height - 1 - info.output_scanline) * row_bytes;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
}
