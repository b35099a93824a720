#pragma once

#include <filesystem>
#include <functional>
#include <ostream>

namespace Lumarc::Tools {

// Writes a tool's output to what `name` is, the way cp does. A regular file, or a name that
// does not exist yet, is replaced whole (see ReplaceFile); through a symbolic link, the file it
// names. A character device or a FIFO is opened and written directly, in one pass; the caller
// has everything ready before it calls. Anything else is refused before anything is touched.
// Raises std::runtime_error ("cannot write NAME: it is a folder", "cannot write NAME: No space
// left on device") when the output is refused or writing fails, or whatever `write_contents`
// raised.
void WriteOutput(const std::filesystem::path& name,
                 const std::function<void(std::ostream&)>& write_contents);

}  // namespace Lumarc::Tools
