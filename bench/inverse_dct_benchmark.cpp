// The inverse DCT alone, over blocks shaped like those of ordinary pictures: DC-only blocks
// (36 to 57 % of the disc's), blocks whose coefficients lie in the top-left 4 x 4 (34 to 46 %),
// and full blocks, alone and mixed. "fast" is InverseDct, "scalar" the reference beside it.
//   decode_benchmark --benchmark_filter=inverse_dct/
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "lumarc/inverse_dct.h"
#include "lumarc/memory_input_byte_stream.h"
#include "lumarc/zigzag.h"

namespace {

using Lumarc::CoefficientBlock;
using Lumarc::QuantizationTable;

// The example luminance table of JPEG's annex K at quality 75 (halved), in natural order.
QuantizationTable QualitySeventyFiveTable() {
  constexpr std::array<int, 64> kAnnexK = {
      16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
      14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
      18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
      49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  std::array<std::uint8_t, 64> zigzag{};
  for (int k = 0; k < 64; ++k) {
    zigzag[k] = static_cast<std::uint8_t>((kAnnexK[Lumarc::kZigzagToNatural[k]] + 1) / 2);
  }
  Lumarc::MemoryInputByteStream stream(zigzag);
  QuantizationTable table;
  table.ReadTable(stream, 0);
  return table;
}

enum class Shape { kDcOnly, kFourByFour, kFull };

// Coefficients of the given shape, smaller at higher frequencies as an encoder leaves them.
CoefficientBlock BlockOfShape(std::mt19937& random, Shape shape) {
  CoefficientBlock block{};
  block[0] = static_cast<std::int16_t>(static_cast<int>(random() % 128) - 64);
  if (shape == Shape::kDcOnly) return block;
  const int extent = shape == Shape::kFourByFour ? 4 : 8;
  for (int v = 0; v < extent; ++v) {
    for (int u = 0; u < extent; ++u) {
      if ((u | v) == 0 || random() % 3 != 0) continue;
      const int limit = 1 + 24 / (1 + u + v);
      block[8 * v + u] =
          static_cast<std::int16_t>(static_cast<int>(random() % (2 * limit + 1)) - limit);
    }
  }
  block[8 * (extent - 1) + extent - 1] = 1;  // the shape's corner, so the block is of that shape
  return block;
}

// 4096 blocks, each shape in its share (percent).
std::vector<CoefficientBlock> Blocks(int dc_only, int four_by_four) {
  std::mt19937 random(16);
  std::vector<CoefficientBlock> blocks;
  for (int i = 0; i < 4096; ++i) {
    const int percent = static_cast<int>(random() % 100);
    const Shape shape = percent < dc_only                  ? Shape::kDcOnly
                        : percent < dc_only + four_by_four ? Shape::kFourByFour
                                                           : Shape::kFull;
    blocks.push_back(BlockOfShape(random, shape));
  }
  return blocks;
}

void TransformAll(benchmark::State& state, const std::vector<CoefficientBlock>& blocks,
                  Lumarc::InverseDctRoutine inverse_dct) {
  const QuantizationTable table = QualitySeventyFiveTable();
  Lumarc::DataUnit unit;
  for (auto _ : state) {
    for (const CoefficientBlock& block : blocks) {
      inverse_dct(unit, block, table);
      benchmark::DoNotOptimize(unit.samples.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(blocks.size()));
}

const bool kRegistered = [] {
  const struct {
    const char* name;
    int dc_only;
    int four_by_four;
  } mixes[] = {{"dc_only", 100, 0}, {"4x4", 0, 100}, {"full", 0, 0}, {"disc_mix", 48, 40}};
  static std::vector<CoefficientBlock> blocks_of_mix[std::size(mixes)];
  for (std::size_t i = 0; i < std::size(mixes); ++i) {
    const auto& mix = mixes[i];
    const auto* blocks = &(blocks_of_mix[i] = Blocks(mix.dc_only, mix.four_by_four));
    const std::string group = std::string("inverse_dct/") + mix.name + "/";
    benchmark::RegisterBenchmark((group + "fast").c_str(), [blocks](benchmark::State& state) {
      TransformAll(state, *blocks, &Lumarc::InverseDct);
    });
    benchmark::RegisterBenchmark((group + "scalar").c_str(), [blocks](benchmark::State& state) {
      TransformAll(state, *blocks, &Lumarc::InverseDctScalar);
    });
  }
  return true;
}();

}  // namespace
