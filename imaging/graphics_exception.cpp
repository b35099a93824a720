#include "lumarc/graphics_exception.h"

#include <utility>

namespace Lumarc {

GraphicsException::GraphicsException(std::string message) : message_(std::move(message)) {}

GraphicsException::~GraphicsException() = default;

const char* GraphicsException::what() const noexcept {
  return message_.c_str();
}

}  // namespace Lumarc
