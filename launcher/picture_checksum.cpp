#include "picture_checksum.h"

#include <cstdio>
#include <memory>

namespace PictureChecksum {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::optional<std::int32_t> Compute(const std::string& path) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file || std::fseek(file.get(), kFirstSampleOffset, SEEK_SET) != 0) return std::nullopt;

  std::int32_t sum = 0;
  for (int k = 0; k < kSampleCount; ++k) {
    // std::fgetc gives EOF (-1) past the end, which is the value a missing byte counts.
    const int byte = std::fgetc(file.get());
    if (byte == EOF && std::ferror(file.get())) return std::nullopt;
    sum += 2 * byte;
    if (std::fseek(file.get(), kSampleStride - 1, SEEK_CUR) != 0) return std::nullopt;
  }
  return sum;
}

}  // namespace PictureChecksum
