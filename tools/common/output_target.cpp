#include "output_target.h"

#include <system_error>

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;
using Kind = OutputTarget::Kind;

OutputTarget Refused(std::string reason) {
  return {Kind::kRefused, {}, std::move(reason)};
}

OutputTarget Stream(const fs::path& name, const char* what) {
  return {Kind::kStream, name, std::string("it is ") + what};
}

// Replacing a link itself would turn it into a file of its own; its target is what the user
// means to write.
OutputTarget ExistingFile(const fs::path& name) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(name, error))) return {Kind::kFile, name, {}};
  fs::path resolved = fs::canonical(name, error);
  if (error) return Refused(error.message());
  return {Kind::kFile, std::move(resolved), {}};
}

}  // namespace

OutputTarget FindOutputTarget(const fs::path& name) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  switch (status.type()) {
    case fs::file_type::not_found: {
      std::error_code ignored;
      if (fs::is_symlink(fs::symlink_status(name, ignored))) {
        return Refused("it is a symbolic link to nothing");
      }
      // Whether the name can be created at all, creating it tells, with the system's reason.
      return {Kind::kFile, name, {}};
    }
    case fs::file_type::regular:
      return ExistingFile(name);
    case fs::file_type::character:
      return Stream(name, "a character device");
    case fs::file_type::fifo:
      return Stream(name, "a FIFO");
    case fs::file_type::directory:
      return Refused("it is a folder");
    case fs::file_type::block:
      return Refused("it is a block device");
    case fs::file_type::socket:
      return Refused("it is a socket");
    default:
      break;
  }
  if (error) return Refused(error.message());
  return Refused("it is neither a file, a character device nor a FIFO");
}

}  // namespace Lumarc::Tools
