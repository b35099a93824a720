#pragma once

#include <filesystem>
#include <functional>
#include <ostream>

namespace Lumarc::Tools {

// Writes a file so that it appears whole or not at all: the contents go to a temporary file
// beside the target, with a name of its own that no other run at the same time can have, which
// is renamed onto the target only when every byte has been written and `check` (if given) has
// accepted the written file. A replaced file keeps its permissions. On failure the temporary
// file is removed and the target is left as it was; the failure propagates, as
// std::runtime_error when writing went wrong, or as whatever `write_contents` or `check` raised.
void ReplaceFile(const std::filesystem::path& target,
                 const std::function<void(std::ostream&)>& write_contents,
                 const std::function<void(const std::filesystem::path& written)>& check = {});

}  // namespace Lumarc::Tools
