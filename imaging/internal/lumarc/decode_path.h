#pragma once

namespace Lumarc {

// Which implementation decodes: the fast paths (Huffman lookahead over a wide bit window, the
// vectorised inverse DCT, upsampling fused with colour conversion) or the straightforward
// reference paths they must match bit for bit, in every picture, every error message and every
// stream position. Process-wide and fast by default; tests and benchmarks switch it between
// decodes to compare the two.
enum class DecodePath { kFast, kReference };

void SetDecodePath(DecodePath path);

namespace decode_path_detail {
extern DecodePath selected;
}  // namespace decode_path_detail

// Read once per Huffman code in the hot loops, hence inline.
inline bool FastPathsSelected() {
  return decode_path_detail::selected == DecodePath::kFast;
}

}  // namespace Lumarc
