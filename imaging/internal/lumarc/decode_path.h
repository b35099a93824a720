#pragma once

#include <type_traits>

namespace Lumarc {

// Which implementation a decoder runs: the fast paths (Huffman lookahead over a wide bit window,
// the vectorised inverse DCT, conversion straight from the blocks) or the straightforward
// reference paths they must match bit for bit, in every picture, every error message and every
// stream position. A property of each decoder, fast unless changed; the scan loops pick the
// routines once per scan, so no hot loop tests it.
enum class DecodePath { kFast, kReference };

template <DecodePath Path>
using DecodePathTag = std::integral_constant<DecodePath, Path>;

// Calls body with DecodePathTag<path>, so that body is compiled once per path and the choice is
// made once, here.
template <typename Body>
decltype(auto) WithDecodePath(DecodePath path, Body&& body) {
  if (path == DecodePath::kFast) return body(DecodePathTag<DecodePath::kFast>{});
  return body(DecodePathTag<DecodePath::kReference>{});
}

}  // namespace Lumarc
