#pragma once

#include <filesystem>
#include <functional>
#include <ostream>

namespace Lumarc::Tools {

// Writes a file so that it appears whole or not at all: the contents go to a temporary file
// beside the target, which is renamed onto the target only when every byte has been written.
// On failure the temporary file is removed, the target is left as it was, and
// std::runtime_error says what went wrong.
void ReplaceFile(const std::filesystem::path& target,
                 const std::function<void(std::ostream&)>& write_contents);

}  // namespace Lumarc::Tools
