#pragma once

// The walks of a progressive refinement scan through one block's band (T.81 G.1.2.3): every
// coefficient that already holds a value reads one correction bit and, when it is 1, moves away
// from zero by p; zero coefficients read nothing and are counted to find where a new one goes.
// Bits come from next_bit(), in zigzag order.
//
// Two walks give the same results, bit for bit: CoefficientWalk tests each coefficient (the
// reference), MaskedWalk finds the non-zero ones in a mask made once per block, and so takes no
// branch per coefficient. A walk only ever moves forward through a block, so a coefficient it
// has refined or placed is never looked at again and the mask made at the start stays right for
// the positions still ahead.
#include <array>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lumarc/inverse_dct.h"
#include "lumarc/zigzag.h"

namespace Lumarc {

// Returned instead of a position when a new coefficient's zeros run past the band ("Error in
// progressive scan", raised by the caller once the bits taken are accounted for).
inline constexpr std::uint32_t kOutsideBand = 0xFFFFFFFE;

// Without a branch on the bit: correction bits are as good as random, and a branch on them
// would be mispredicted every other time.
template <typename NextBit>
[[gnu::always_inline]] inline void Refine(std::int16_t& c, std::int32_t p, NextBit& next_bit) {
  const std::int32_t away_from_zero = c > 0 ? p : -p;
  c = static_cast<std::int16_t>(c + (away_from_zero & -next_bit()));
}

class CoefficientWalk {
 public:
  explicit CoefficientWalk(CoefficientBlock& block) : block(block) {}

  // Positions from..to (zigzag, to at most 63) that already hold a value each read a bit.
  template <typename NextBit>
  void RefineBand(std::uint32_t from, std::uint32_t to, std::int32_t p, NextBit& next_bit) {
    for (std::uint32_t k = from; k <= to; ++k) {
      std::int16_t& c = block[kZigzagToNatural[k]];
      if (c != 0) Refine(c, p, next_bit);
    }
  }

  // ZRL: passes sixteen zero coefficients from k, refining the non-zero ones among them;
  // returns the position after them (or after the band).
  template <typename NextBit>
  std::uint32_t PassSixteenZeros(std::uint32_t k, std::uint32_t last, std::int32_t p,
                                 NextBit& next_bit) {
    for (std::uint32_t zeros = 0; k <= last && zeros < 16; ++k) {
      std::int16_t& c = block[kZigzagToNatural[k]];
      if (c == 0) {
        ++zeros;
      } else {
        Refine(c, p, next_bit);
      }
    }
    return k;
  }

  // Walks to the zero coefficient that follows `run` zeros, refining what lies between, and
  // gives it +p or -p; returns the position after it, or kOutsideBand.
  template <typename NextBit>
  std::uint32_t PlaceNewCoefficient(std::uint32_t k, std::uint32_t last, std::uint32_t run,
                                    bool positive, std::int32_t p, NextBit& next_bit) {
    for (std::uint32_t zeros_to_pass = run;; ++k) {
      if (k > last) return kOutsideBand;
      std::int16_t& c = block[kZigzagToNatural[k]];
      if (c == 0) {
        if (zeros_to_pass == 0) break;
        --zeros_to_pass;
      } else {
        Refine(c, p, next_bit);
      }
    }
    block[kZigzagToNatural[k]] = static_cast<std::int16_t>(positive ? p : -p);
    return k + 1;
  }

 private:
  CoefficientBlock& block;
};

namespace refinement_walk_detail {

// Bit i of a block's natural-order mask set where coefficient i is not zero.
inline std::uint64_t NaturalNonzeroMask(const CoefficientBlock& block) {
  std::uint64_t mask = 0;
#if defined(__SSE2__)
  // Saturating to bytes keeps every non-zero value non-zero.
  const __m128i zero = _mm_setzero_si128();
  for (std::size_t i = 0; i < 4; ++i) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&block[16 * i]));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&block[16 * i + 8]));
    const auto zeros = static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_packs_epi16(low, high), zero)));
    mask |= std::uint64_t{~zeros & 0xFFFFu} << (16 * i);
  }
#else
  for (std::size_t i = 0; i < 64; ++i) mask |= std::uint64_t{block[i] != 0} << i;
#endif
  return mask;
}

// The zigzag-order bits of each byte of a natural-order mask: eight lookups reorder all 64.
inline constexpr auto kZigzagBitsOfNaturalByte = [] {
  std::array<std::array<std::uint64_t, 256>, 8> table{};
  for (std::size_t byte = 0; byte < 8; ++byte) {
    for (std::size_t bits = 0; bits < 256; ++bits) {
      for (std::size_t j = 0; j < 8; ++j) {
        if ((bits >> j) & 1)
          table[byte][bits] |= std::uint64_t{1} << kNaturalToZigzag[8 * byte + j];
      }
    }
  }
  return table;
}();

inline std::uint64_t ZigzagNonzeroMask(const CoefficientBlock& block) {
  const std::uint64_t natural = NaturalNonzeroMask(block);
  std::uint64_t zigzag = 0;
  for (std::size_t byte = 0; byte < 8; ++byte) {
    zigzag |= kZigzagBitsOfNaturalByte[byte][(natural >> (8 * byte)) & 0xFF];
  }
  return zigzag;
}

// Zigzag positions from..to, from <= to <= 63.
inline std::uint64_t Positions(std::uint32_t from, std::uint32_t to) {
  return (~std::uint64_t{0} << from) & (~std::uint64_t{0} >> (63 - to));
}

// The position of the set bit that n set bits precede, 64 when there are not that many.
inline std::uint32_t NthSetBit(std::uint64_t bits, std::uint32_t n) {
  for (; n > 0 && bits != 0; --n) bits &= bits - 1;
  return static_cast<std::uint32_t>(std::countr_zero(bits));
}

}  // namespace refinement_walk_detail

class MaskedWalk {
 public:
  explicit MaskedWalk(CoefficientBlock& block)
      : block(block), nonzero(refinement_walk_detail::ZigzagNonzeroMask(block)) {}

  template <typename NextBit>
  void RefineBand(std::uint32_t from, std::uint32_t to, std::int32_t p, NextBit& next_bit) {
    for (std::uint64_t m = nonzero & refinement_walk_detail::Positions(from, to); m != 0;
         m &= m - 1) {
      Refine(block[kZigzagToNatural[std::countr_zero(m)]], p, next_bit);
    }
  }

  template <typename NextBit>
  std::uint32_t PassSixteenZeros(std::uint32_t k, std::uint32_t last, std::int32_t p,
                                 NextBit& next_bit) {
    const std::uint32_t sixteenth = NthZero(k, last, 15);
    if (sixteenth == 64) {
      RefineBand(k, last, p, next_bit);
      return last + 1;
    }
    RefineBand(k, sixteenth, p, next_bit);
    return sixteenth + 1;
  }

  template <typename NextBit>
  std::uint32_t PlaceNewCoefficient(std::uint32_t k, std::uint32_t last, std::uint32_t run,
                                    bool positive, std::int32_t p, NextBit& next_bit) {
    const std::uint32_t target = NthZero(k, last, run);
    RefineBand(k, target == 64 ? last : target, p, next_bit);
    if (target == 64) return kOutsideBand;
    block[kZigzagToNatural[target]] = static_cast<std::int16_t>(positive ? p : -p);
    return target + 1;
  }

 private:
  // The position of the zero that n zeros from k precede, 64 when the band has fewer.
  std::uint32_t NthZero(std::uint32_t k, std::uint32_t last, std::uint32_t n) const {
    return refinement_walk_detail::NthSetBit(~nonzero & refinement_walk_detail::Positions(k, last),
                                             n);
  }

  CoefficientBlock& block;
  // Zigzag positions that held a value when the block's walk began.
  std::uint64_t nonzero;
};

// The fast path's walk. Without vector compares (32-bit x86 code for processors before SSE2)
// making the mask costs a block as much as the walk it saves.
#if defined(__SSE2__)
using FastRefinementWalk = MaskedWalk;
#else
using FastRefinementWalk = CoefficientWalk;
#endif

}  // namespace Lumarc
