#include "lumarc/graphics_exception.h"

#include <gtest/gtest.h>

namespace Lumarc {
namespace {

TEST(GraphicsException, CarriesItsMessageThroughStdException) {
  try {
    throw GraphicsException("Unsupported Bit Count");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Unsupported Bit Count");
  }
}

}  // namespace
}  // namespace Lumarc
