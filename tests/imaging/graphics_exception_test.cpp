#include "lumarc/graphics_exception.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace Lumarc {
namespace {

TEST(GraphicsException, CarriesItsMessageThroughStdException) {
  try {
    throw GraphicsException("Unsupported Bit Count");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Unsupported Bit Count");
  }
}

TEST(GraphicsAbort, IsOutsideTheStandardHierarchySoOrdinaryHandlersMissIt) {
  static_assert(!std::is_base_of_v<std::exception, GraphicsAbort>);
  static_assert(std::is_empty_v<GraphicsAbort>);
}

}  // namespace
}  // namespace Lumarc
