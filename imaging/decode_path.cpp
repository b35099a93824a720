#include "lumarc/decode_path.h"

namespace Lumarc {

namespace decode_path_detail {
DecodePath selected = DecodePath::kFast;
}  // namespace decode_path_detail

void SetDecodePath(DecodePath path) {
  decode_path_detail::selected = path;
}

}  // namespace Lumarc
