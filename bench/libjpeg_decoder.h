#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// libjpeg-turbo through its libjpeg API, decoding into a bottom-up BGR (or grey) buffer with
// rows padded to 4 bytes, the layout our decoder writes; the buffer and the decompressor are
// reused from one decode to the next.
class LibjpegDecoder {
 public:
  enum class Settings {
    kMatched,   // integer IDCT, plain upsampling: the closest match to our pipeline
    kDefaults,  // the library's own defaults (smooth upsampling), BGR output
  };

  explicit LibjpegDecoder(Settings settings);
  ~LibjpegDecoder();
  LibjpegDecoder(const LibjpegDecoder&) = delete;
  LibjpegDecoder& operator=(const LibjpegDecoder&) = delete;

  // Exits the process on a decoding error: every benchmark file is valid.
  void Decode(std::span<const std::uint8_t> bytes);
  const std::vector<std::uint8_t>& Pixels() const { return pixels; }

 private:
  struct State;
  Settings settings;
  std::unique_ptr<State> state;
  std::vector<std::uint8_t> pixels;
};
