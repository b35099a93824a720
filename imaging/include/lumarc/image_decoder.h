#pragma once

#include "lumarc/export.h"

namespace Lumarc {

// Base of the library's decoders: a decoder fills a bitmap and finishes it in TransferToBitmap.
class LUMARC_EXPORT ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // Writes what has been decoded into the current bitmap; the base class has nothing to write.
  virtual void TransferToBitmap() {}
};

}  // namespace Lumarc
