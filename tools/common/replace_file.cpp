#include "replace_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "descriptor_stream.h"
#include "interrupt_cleanup.h"
#include "output_target.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;

#ifdef O_BINARY
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif
#ifdef O_CLOEXEC
constexpr int kCloseOnExec = O_CLOEXEC;
#else
constexpr int kCloseOnExec = 0;
#endif

constexpr std::size_t kCommonNameLimit = 255;

std::runtime_error Failure(const char* doing, const fs::path& name, int error_number) {
  std::string message = std::string(doing) + " " + name.string();
  if (error_number != 0) message += std::string(": ") + std::strerror(error_number);
  return std::runtime_error(message);
}

// The longest name a file in `folder` may have.
std::size_t NameLimit([[maybe_unused]] const fs::path& folder) {
#ifdef _PC_NAME_MAX
  const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  if (limit > 0) return static_cast<std::size_t>(limit);
#endif
  return kCommonNameLimit;
}

// "NAME.partial-" and 16 hex digits, which tells whose it is when a crash leaves it behind; for
// a name too long to take the suffix, the suffix alone, which any file system can hold.
fs::path TemporaryNameBeside(const fs::path& file, std::uint64_t random, std::size_t limit) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string suffix = "partial-";
  for (int shift = 60; shift >= 0; shift -= 4) suffix += kDigits[(random >> shift) & 0xF];
  const std::string name = file.filename().string();
  const std::string temporary =
      name.size() + 1 + suffix.size() <= limit ? name + "." + suffix : suffix;
  return file.parent_path() / temporary;
}

int CreateExclusive(const fs::path& path) {
  return ::open(path.string().c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary | kCloseOnExec, 0666);
}

// A file created beside the target, so that the final rename never crosses file systems, and
// guarded so that an interruption removes it. Exclusive creation under a random name makes it
// this run's own even when another run replaces the same file at the same time.
struct Temporary {
  fs::path path;
  int descriptor = -1;
  std::optional<RemovedOnInterrupt> removal;
};

void CreateTemporaryBeside(const fs::path& file, const fs::path& name, Temporary& temporary) {
  std::random_device random;
  std::uniform_int_distribution<std::uint64_t> name_part;
  const std::size_t limit = NameLimit(file.parent_path());
  int error_number = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path path = TemporaryNameBeside(file, name_part(random), limit);
    const HeldInterrupts held;
    temporary.removal.emplace(path.string());
    temporary.descriptor = CreateExclusive(path);
    error_number = errno;
    if (temporary.descriptor >= 0) {
      temporary.path = path;
      return;
    }
    // Not this run's file: another run's, or none, which the handler must not remove.
    temporary.removal.reset();
    if (error_number != EEXIST) break;
  }
  throw Failure("cannot create", name, error_number);
}

void RemoveTemporary(Temporary& temporary) {
  const HeldInterrupts held;
  std::error_code ignored;
  fs::remove(temporary.path, ignored);
  temporary.removal.reset();
}

void WriteAndRename(Temporary& temporary, const fs::path& file, const fs::path& name,
                    const std::function<void(std::ostream&)>& write_contents,
                    const std::function<void(const fs::path&)>& check) {
  DescriptorStream out(temporary.descriptor);
  temporary.descriptor = -1;
  write_contents(out);
  out.Close();
  if (!out) throw Failure("cannot write", name, out.Error());
  if (check) check(temporary.path);
  std::error_code ignored;
  const fs::file_status replaced = fs::status(file, ignored);
  if (fs::is_regular_file(replaced))
    fs::permissions(temporary.path, replaced.permissions(), ignored);

  const HeldInterrupts held;
  std::error_code error;
  fs::rename(temporary.path, file, error);
  if (error) throw std::runtime_error("cannot write " + name.string() + ": " + error.message());
  temporary.removal.reset();
}

}  // namespace

void ReplaceFile(const fs::path& name, const std::function<void(std::ostream&)>& write_contents,
                 const std::function<void(const fs::path&)>& check) {
  const OutputTarget target = FindOutputTarget(name);
  if (target.kind != OutputTarget::Kind::kFile) {
    throw std::runtime_error("cannot write " + name.string() + ": " + target.reason);
  }
  Temporary temporary;
  CreateTemporaryBeside(target.path, name, temporary);
  try {
    WriteAndRename(temporary, target.path, name, write_contents, check);
  } catch (...) {
    RemoveTemporary(temporary);
    throw;
  }
}

}  // namespace Lumarc::Tools
