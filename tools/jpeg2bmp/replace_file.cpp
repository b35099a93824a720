#include "replace_file.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace Lumarc::Tools {
namespace {

// Beside the target, so that the final rename never crosses file systems.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::filesystem::path temporary = target;
  temporary += ".partial-" + std::to_string(::getpid());
  return temporary;
}

void WriteAndRename(const std::filesystem::path& temporary, const std::filesystem::path& target,
                    const std::function<void(std::ostream&)>& write_contents) {
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + target.string());
  write_contents(out);
  out.close();
  if (!out) throw std::runtime_error("cannot write " + target.string());
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) throw std::runtime_error("cannot write " + target.string() + ": " + error.message());
}

}  // namespace

void ReplaceFile(const std::filesystem::path& target,
                 const std::function<void(std::ostream&)>& write_contents) {
  std::filesystem::path temporary = TemporaryBeside(target);
  try {
    WriteAndRename(temporary, target, write_contents);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
}

}  // namespace Lumarc::Tools
