#include "replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;

#ifdef O_BINARY
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif

// Creates an empty file beside the target, so that the final rename never crosses file systems.
// Exclusive creation under a random name makes it this run's own even when another run
// replaces the same target at the same time.
fs::path CreateTemporaryBeside(const fs::path& target) {
  std::random_device random;
  std::uniform_int_distribution<unsigned long long> name_part;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path temporary = target;
    temporary += ".partial-" + std::to_string(name_part(random));
    const int descriptor =
        ::open(temporary.string().c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, 0666);
    if (descriptor >= 0) {
      ::close(descriptor);
      return temporary;
    }
    if (errno != EEXIST) break;
  }
  throw std::runtime_error("cannot create " + target.string());
}

void WriteAndRename(const fs::path& temporary, const fs::path& target,
                    const std::function<void(std::ostream&)>& write_contents,
                    const std::function<void(const fs::path&)>& check) {
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + target.string());
  write_contents(out);
  out.close();
  if (!out) throw std::runtime_error("cannot write " + target.string());
  if (check) check(temporary);
  std::error_code ignored;
  const fs::file_status replaced = fs::status(target, ignored);
  if (fs::is_regular_file(replaced)) fs::permissions(temporary, replaced.permissions(), ignored);
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) throw std::runtime_error("cannot write " + target.string() + ": " + error.message());
}

}  // namespace

void ReplaceFile(const fs::path& target, const std::function<void(std::ostream&)>& write_contents,
                 const std::function<void(const fs::path&)>& check) {
  const fs::path temporary = CreateTemporaryBeside(target);
  try {
    WriteAndRename(temporary, target, write_contents, check);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

}  // namespace Lumarc::Tools
