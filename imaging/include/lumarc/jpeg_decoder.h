#pragma once

#include "lumarc/graphics_exception.h"

namespace Lumarc {

// Decodes a JFIF stream into a BitmapImage.
// (The decoder itself is being filled in; its error types are fixed here first because the
// table readers and components raise them.)
class JpegDecoder {
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
};

}  // namespace Lumarc
