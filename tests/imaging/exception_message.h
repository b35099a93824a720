#pragma once

#include <string>

namespace Lumarc::test_support {

// The message of the Exception that call raises, or a text no error message can equal, so a
// test names the error it expects and an error of another type fails it.
template <typename Exception, typename Call>
std::string MessageOf(Call&& call) {
  try {
    call();
  } catch (const Exception& error) {
    return error.what();
  }
  return "(no error of the expected type)";
}

}  // namespace Lumarc::test_support
