#pragma once

#include <cstdint>
#include <span>

// stb_image's decoder as it comes: it allocates a fresh top-down RGB (or grey) picture for every
// decode, which is freed again here. Returns false when it refuses the data.
bool DecodeWithStbImage(std::span<const std::uint8_t> bytes);
