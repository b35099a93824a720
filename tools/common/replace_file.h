#pragma once

#include <filesystem>
#include <functional>
#include <ostream>

namespace Lumarc::Tools {

// Writes a file so that it appears whole or not at all: the contents go to a temporary file
// beside the file, with a name of its own that no other run at the same time can have and that
// fits the file system's limit whatever the length of `name`, which is renamed onto the file
// only when every byte has been written and `check` (if given) has accepted the written file. A
// replaced file keeps its permissions. A symbolic link stays a link: the file it names is
// replaced. Anything that is not a file to replace (see FindOutputTarget) is refused untouched.
// SIGINT, SIGTERM or SIGHUP during the write remove the temporary file before they end the
// program. On failure the temporary file is removed and the file is left as it was; the
// failure propagates, as std::runtime_error ("cannot create NAME: ...", "cannot write NAME:
// ...") when writing went wrong, or as whatever `write_contents` or `check` raised.
void ReplaceFile(const std::filesystem::path& name,
                 const std::function<void(std::ostream&)>& write_contents,
                 const std::function<void(const std::filesystem::path& written)>& check = {});

}  // namespace Lumarc::Tools
