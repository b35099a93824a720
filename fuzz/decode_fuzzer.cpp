// Whole decodes from memory. The first byte picks the options so that one corpus covers the
// verbose trace and the strict component check as well as the plain path, and the fast decode
// paths compared with the reference ones.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "decode_outcome.h"
#include "lumarc/decode_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const bool verbose = (options & 1) != 0;
  const bool strict = (options & 2) != 0;
  const bool compare_paths = (options & 4) != 0;
  const std::span<const std::uint8_t> image(data + 1, size - 1);

  const DecodeOutcome fast = DecodeForFuzzing(image, verbose, strict, Lumarc::DecodePath::kFast);
  if (!compare_paths) return 0;
  // The fast paths must match the reference paths exactly, on damaged input as on good.
  const DecodeOutcome reference =
      DecodeForFuzzing(image, verbose, strict, Lumarc::DecodePath::kReference);
  if (!(fast == reference)) {
    std::fprintf(stderr, "fast and reference paths differ: \"%s\" at %lld vs \"%s\" at %lld\n",
                 fast.error.c_str(), static_cast<long long>(fast.position), reference.error.c_str(),
                 static_cast<long long>(reference.position));
    std::abort();
  }
  return 0;
}
