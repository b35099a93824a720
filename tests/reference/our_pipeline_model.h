#pragma once

#include "libjpeg_reference.h"

namespace Lumarc::Reference {

// The picture our decoder must produce, to the bit, from coefficients that libjpeg's entropy
// decoder read: the library's own inverse DCT on every block, then sample repetition and the
// rounded colour tables. Any difference from the decoder's picture is then a fault in how the
// decoder reads the entropy-coded data (Huffman codes, progressive refinement, restarts) or
// lays out its blocks, never the transform's known inexactness.
ReferencePicture ThroughOurPipeline(const ReferenceCoefficients& coefficients);

}  // namespace Lumarc::Reference
