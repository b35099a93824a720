#pragma once

#include <cstdint>

#include "lumarc/inverse_dct.h"

namespace Lumarc {

// One row of a component's samples read where the blocks hold it, without copying: sample j is
// row offset / 8 of block j / 8. units is the first block of a row of blocks.
struct BlockRow {
  const DataUnit* units;
  std::uint32_t offset;  // 8 x the sample row inside each block

  const std::uint8_t* SamplesOfBlock(std::uint32_t block) const {
    return units[block].samples.data() + offset;
  }
  std::uint8_t Sample(std::uint32_t j) const { return SamplesOfBlock(j / 8)[j % 8]; }
};

}  // namespace Lumarc
