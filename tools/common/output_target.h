#pragma once

#include <filesystem>
#include <string>

namespace Lumarc::Tools {

// What an output name stands for, which decides how a tool writes to it: the way cp does, a
// file is replaced, a device or a FIFO is written into, and a folder is never written over.
struct OutputTarget {
  enum class Kind {
    kFile,     // a regular file, or a name that does not exist yet: replaced whole
    kStream,   // a character device or a FIFO: written directly, in one pass
    kRefused,  // anything else: never written
  };

  Kind kind = Kind::kRefused;
  // For kFile, the file to replace: the final target of a symbolic link, so that the link
  // stays a link; otherwise the name as given.
  std::filesystem::path path;
  // For kStream and kRefused, the reason to give after "cannot write NAME: ", such as
  // "it is a FIFO", "it is a folder" or the system's own words for a failed look-up.
  std::string reason;
};

// Looks at what `name` is now, following symbolic links. A link that names nothing is refused,
// as cp refuses to write through it.
OutputTarget FindOutputTarget(const std::filesystem::path& name);

}  // namespace Lumarc::Tools
