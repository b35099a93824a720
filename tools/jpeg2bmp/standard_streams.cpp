#include "standard_streams.h"

#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace Lumarc::Tools {
namespace {

void SetBinary([[maybe_unused]] std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#endif
}

}  // namespace

std::vector<std::uint8_t> ReadStandardInput() {
  SetBinary(stdin);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[1 << 16];
  while (const std::size_t count = std::fread(chunk, 1, sizeof chunk, stdin)) {
    bytes.insert(bytes.end(), chunk, chunk + count);
  }
  if (std::ferror(stdin)) throw std::runtime_error("cannot read standard input");
  return bytes;
}

void SetStandardOutputBinary() {
  SetBinary(stdout);
}

}  // namespace Lumarc::Tools
