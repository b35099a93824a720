// The vector colour conversion against the colour tables: the terms of every chrominance pair,
// and every (Y, Cb, Cr) triple converted from blocks, give the bytes of the tables' arithmetic;
// chrominance at half width and rows that share it take the right samples; nothing past the
// pixels it reports is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "lumarc/block_row.h"
#include "lumarc/color_conversion_avx2.h"
#include "lumarc/color_tables.h"
#include "lumarc/inverse_dct.h"

// Only where the vector conversion is built (see LUMARC_X86_SIMD).
#if LUMARC_X86_SIMD
namespace {

using Lumarc::BlockRow;
using Lumarc::DataUnit;
namespace tables = Lumarc::color_tables;

bool Avx2Missing() {
  return !Lumarc::inverse_dct_detail::Avx2Available();
}

std::array<std::uint8_t, 3> ExpectedPixel(std::int32_t y, std::uint8_t cb, std::uint8_t cr) {
  return {tables::Clamp(y + tables::kBlueFromCb[cb]), tables::Clamp(y - tables::GreenTerm(cb, cr)),
          tables::Clamp(y + tables::kRedFromCr[cr])};
}

// A row of `width` samples stored the way the decoder's blocks hold them, in sample row
// `sample_row` of each block; the other rows of the blocks hold other values.
class Blocks {
 public:
  Blocks(std::uint32_t width, std::uint32_t sample_row)
      : units((width + 7) / 8), offset(8 * sample_row) {
    for (auto& unit : units) unit.samples.fill(0xA5);
  }
  void Set(std::uint32_t j, std::uint8_t value) { units[j / 8].samples[offset + j % 8] = value; }
  BlockRow Row() const { return {units.data(), offset}; }

 private:
  std::vector<DataUnit> units;
  std::uint32_t offset;
};

TEST(ColorConversionSimdTest, TermsOfEveryChrominancePairMatchTheTables) {
  if (Avx2Missing()) GTEST_SKIP() << "no AVX2";
  constexpr std::uint32_t kPairs = 256 * 256;
  std::vector<std::uint8_t> cb(kPairs);
  std::vector<std::uint8_t> cr(kPairs);
  for (std::uint32_t i = 0; i < kPairs; ++i) {
    cb[i] = static_cast<std::uint8_t>(i);
    cr[i] = static_cast<std::uint8_t>(i >> 8);
  }
  std::vector<std::int16_t> blue(kPairs), green(kPairs), red(kPairs);
  ASSERT_EQ(
      Lumarc::ComputeTermsAvx2(cb.data(), cr.data(), kPairs, blue.data(), green.data(), red.data()),
      kPairs);
  std::uint32_t mismatches = 0;
  for (std::uint32_t i = 0; i < kPairs; ++i) {
    const bool same = blue[i] == tables::kBlueFromCb[cb[i]] &&
                      green[i] == tables::GreenTerm(cb[i], cr[i]) &&
                      red[i] == tables::kRedFromCr[cr[i]];
    if (!same && mismatches++ < 5) ADD_FAILURE() << "Cb " << int{cb[i]} << ", Cr " << int{cr[i]};
  }
  EXPECT_EQ(mismatches, 0u);
  // Only whole groups of sixteen.
  EXPECT_EQ(
      Lumarc::ComputeTermsAvx2(cb.data(), cr.data(), 47, blue.data(), green.data(), red.data()),
      32u);
}

// Row j of Cb and Y runs through every (Cb, Y); each call holds one Cr. The second row's
// luminance runs the other way, so rows sharing chrominance must each read their own.
TEST(ColorConversionSimdTest, EveryTripleConvertsAsTheTablesDo) {
  if (Avx2Missing()) GTEST_SKIP() << "no AVX2";
  constexpr std::uint32_t kWidth = 256 * 256;
  Blocks luma_down(kWidth, 3), luma_up(kWidth, 3), cb(kWidth, 5), cr(kWidth, 5);
  for (std::uint32_t j = 0; j < kWidth; ++j) {
    luma_down.Set(j, static_cast<std::uint8_t>(j));
    luma_up.Set(j, static_cast<std::uint8_t>(255 - j % 256));
    cb.Set(j, static_cast<std::uint8_t>(j >> 8));
  }
  const std::array<BlockRow, 2> luma{luma_down.Row(), luma_up.Row()};
  std::vector<std::uint8_t> first(3 * kWidth), second(3 * kWidth);
  const std::array<std::uint8_t*, 2> out{first.data(), second.data()};
  std::uint32_t mismatches = 0;
  for (std::uint32_t red = 0; red < 256; ++red) {
    for (std::uint32_t j = 0; j < kWidth; ++j) cr.Set(j, static_cast<std::uint8_t>(red));
    ASSERT_EQ(
        Lumarc::ConvertYCbCrRowsAvx2(luma.data(), out.data(), 2, cb.Row(), cr.Row(), 1, kWidth),
        kWidth);
    for (std::uint32_t j = 0; j < kWidth; ++j) {
      const auto blue = static_cast<std::uint8_t>(j >> 8);
      const auto down =
          ExpectedPixel(static_cast<std::int32_t>(j % 256), blue, static_cast<std::uint8_t>(red));
      const auto up = ExpectedPixel(static_cast<std::int32_t>(255 - j % 256), blue,
                                    static_cast<std::uint8_t>(red));
      const bool same = std::equal(down.begin(), down.end(), &first[3 * j]) &&
                        std::equal(up.begin(), up.end(), &second[3 * j]);
      if (!same && mismatches++ < 5) {
        ADD_FAILURE() << "Y " << j % 256 << ", Cb " << int{blue} << ", Cr " << red;
      }
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

// Random samples at one and two pixels per chrominance sample, one row or two, and a width
// that leaves an end for the caller: every pixel reported takes its own samples, and the bytes
// after them stay as they were.
TEST(ColorConversionSimdTest, RowsTakeTheirSamplesAndStopAtWholeSteps) {
  if (Avx2Missing()) GTEST_SKIP() << "no AVX2";
  constexpr std::uint32_t kWidth = 32 * 9 + 21;
  std::mt19937 random(7);
  const auto sample = [&random] { return static_cast<std::uint8_t>(random()); };
  for (const std::uint32_t chroma_factor : {1u, 2u}) {
    for (const std::uint32_t rows : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << "chroma factor " << chroma_factor << ", rows " << rows);
      std::vector<Blocks> luma{Blocks(kWidth, 0), Blocks(kWidth, 7)};
      Blocks cb(kWidth, 2), cr(kWidth, 6);
      std::vector<std::array<std::uint8_t, 2>> chroma(kWidth);
      std::vector<std::array<std::uint8_t, 2>> y(kWidth);
      for (std::uint32_t j = 0; j < kWidth; ++j) {
        y[j] = {sample(), sample()};
        luma[0].Set(j, y[j][0]);
        luma[1].Set(j, y[j][1]);
        chroma[j] = {sample(), sample()};
        cb.Set(j, chroma[j][0]);
        cr.Set(j, chroma[j][1]);
      }
      const std::array<BlockRow, 2> luma_rows{luma[0].Row(), luma[1].Row()};
      std::vector<std::vector<std::uint8_t>> bitmap(2, std::vector<std::uint8_t>(3 * kWidth, 0x5A));
      const std::array<std::uint8_t*, 2> out{bitmap[0].data(), bitmap[1].data()};
      const std::uint32_t done = Lumarc::ConvertYCbCrRowsAvx2(
          luma_rows.data(), out.data(), rows, cb.Row(), cr.Row(), chroma_factor, kWidth);
      ASSERT_EQ(done, 32u * 9);
      for (std::uint32_t r = 0; r < 2; ++r) {
        for (std::uint32_t j = 0; j < kWidth; ++j) {
          const auto& c = chroma[j / chroma_factor];
          const std::array<std::uint8_t, 3> expected =
              r < rows && j < done ? ExpectedPixel(y[j][r], c[0], c[1])
                                   : std::array<std::uint8_t, 3>{0x5A, 0x5A, 0x5A};
          ASSERT_TRUE(std::equal(expected.begin(), expected.end(), &bitmap[r][3 * j]))
              << "row " << r << ", pixel " << j;
        }
      }
    }
  }
}

}  // namespace
#endif
