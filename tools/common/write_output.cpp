#include "write_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "descriptor_stream.h"
#include "output_target.h"
#include "replace_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr int kStreamFlags = O_WRONLY | O_BINARY;
#else
// Never creates or truncates: whatever the name turned into meanwhile, no file is written over.
constexpr int kStreamFlags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
#endif

std::runtime_error CannotWrite(const fs::path& name, const std::string& reason) {
  return std::runtime_error("cannot write " + name.string() + ": " + reason);
}

// A FIFO opens once something reads it, as for any writer.
void WriteStream(const fs::path& name, const std::function<void(std::ostream&)>& write_contents) {
  const int descriptor = ::open(name.string().c_str(), kStreamFlags);
  if (descriptor < 0) throw CannotWrite(name, std::strerror(errno));
  DescriptorStream out(descriptor);
  struct stat opened {};
  if (::fstat(descriptor, &opened) != 0) throw CannotWrite(name, std::strerror(errno));
  if (!S_ISCHR(opened.st_mode) && !S_ISFIFO(opened.st_mode)) {
    throw CannotWrite(name, "it changed while being opened");
  }
  write_contents(out);
  out.Close();
  if (!out) throw CannotWrite(name, out.Error() != 0 ? std::strerror(out.Error()) : "write failed");
}

}  // namespace

void WriteOutput(const fs::path& name, const std::function<void(std::ostream&)>& write_contents) {
  const OutputTarget target = FindOutputTarget(name);
  switch (target.kind) {
    case OutputTarget::Kind::kFile:
      ReplaceFile(name, write_contents);
      return;
    case OutputTarget::Kind::kStream:
      WriteStream(name, write_contents);
      return;
    case OutputTarget::Kind::kRefused:
      break;
  }
  throw CannotWrite(name, target.reason);
}

}  // namespace Lumarc::Tools
