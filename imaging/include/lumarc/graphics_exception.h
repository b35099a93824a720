#pragma once

#include <exception>
#include <string>

#include "lumarc/export.h"

namespace Lumarc {

// Base of the image library's own errors. Each carries one fixed English message.
class LUMARC_EXPORT GraphicsException : public std::exception {
 public:
  explicit GraphicsException(std::string message);
  ~GraphicsException() override;
  const char* what() const noexcept override;

 private:
  std::string message_;
};

// Unwinds a read that a progress callback cancelled; never leaves ReadImage.
class LUMARC_EXPORT GraphicsAbort {};

}  // namespace Lumarc
