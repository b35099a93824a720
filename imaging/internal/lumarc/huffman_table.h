#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>

namespace Lumarc {

class InputByteStream;

// T.81 EXTEND: a t-bit value whose top bit is 0 stands for a negative number (value is 0 when
// bits is). Without a branch: the sign of a DC difference or a coefficient is as good as random.
inline std::int32_t Extend(std::uint32_t value, std::uint32_t bits) {
  const std::uint32_t range = std::uint32_t{1} << bits;
  const std::uint32_t negative_offset = value < (range >> 1) ? range - 1 : 0;
  return static_cast<std::int32_t>(value - negative_offset);
}

// One Huffman decoding table of a DHT segment: the per-length decoding limits of T.81 Annex F
// and the code values. The reference decoding goes bit by bit after the first min_code_length
// bits; the fast one looks the first kLookaheadBits bits up in a table derived from the same
// limits, and takes longer codes from the same look at the bit window.
//
// Errors (JpegDecoder::JpegBadStream):
//  - "Huffman count > 256" from ReadTable, after the 16 counts and before any value; the
//    table keeps its previous contents, as it does when the values are cut short.
//  - "Bad Huffman Code Length" from Decode for bits that match no code of up to 16 bits.
//    A table whose 16 counts are all 0 stays defined but has no code at all: each Decode
//    reads 16 bits and fails this way.
// Bit-reader errors (InputByteStream::StreamError) pass through.
class HuffmanTable {
 public:
  HuffmanTable();

  // What a table decodes, which decides what its lookup of a code together with its value bits
  // holds: one or two AC coefficients (LookAheadCoefficients), or a DC difference
  // (LookAheadDcDifference).
  enum class Use { kDcDifferences, kAcCoefficients };
  // Reads the 16 counts and N values that follow a DHT class/index byte; returns 16 + N.
  std::uint32_t ReadTable(InputByteStream& stream, Use use = Use::kAcCoefficients);
  // Derives maxcode, mincode, valptr and min_code_length from the counts of code lengths
  // 1 to 16, whose sum must not exceed 256 ("Huffman count > 256" otherwise). Counts that
  // oversubscribe a length give codes that are no prefix code, but Decode still only ever returns
  // one of the first N values.
  void BuildTables(const std::array<std::uint8_t, 16>& counts, Use use = Use::kAcCoefficients);
  // Decodes one code from the stream, which must be in bit mode.
  std::uint8_t Decode(InputByteStream& stream) const;
  // Decode through ReadBits and ReadBit alone: the reference the fast path matches, and the
  // path that meets stuffed bytes, markers, refills, the end of the data and bad codes.
  std::uint8_t DecodeExact(InputByteStream& stream) const;
  // A code read from the top of 32 window bits (InputByteStream::PeekFastBits) without consuming
  // them: its value and length, exactly as DecodeExact would find them among the first 16 bits;
  // length 0 for bits that start no valid code (left to DecodeExact to refuse).
  struct PeekedCode {
    std::uint8_t value;
    std::uint8_t length;
  };
  PeekedCode Peek(std::uint32_t bits) const {
    const Lookahead hit = lookahead[bits >> (32 - kLookaheadBits)];
    if (hit.length != 0) return {hit.value, hit.length};
    return PeekLong(bits);
  }
  // A run/size code and the value bits after it, both within kCoefficientBits bits, and where
  // the bits after them hold a second such pair or an end of block, that one too. For each: the
  // value (extended to its sign) and how far it moves the zigzag index (the run and the
  // coefficient itself). total_length is the length of both, or of the first alone; it is 0
  // when the window's first bits hold no such pair (ZRL, longer codes or values). An end-of-block
  // code of up to kLookaheadBits bits advances kEndOfBlockAdvance and has no value bits. Without
  // a second pair, second_advance is 0 and second_value repeats the first, so that a decoder may
  // store both unconditionally.
  struct ShortCoefficients {
    std::uint8_t total_length;
    std::uint8_t advance;
    std::int16_t value;
    std::uint8_t first_length;
    std::uint8_t second_advance;
    std::int16_t second_value;
  };
  // Beyond the last zigzag position from any position, so a block decoder's range check catches
  // it off its common path.
  static constexpr std::uint8_t kEndOfBlockAdvance = 64;
  // Indexed by the top of the 64-bit window itself: one shift from the window to the entry.
  const ShortCoefficients& LookAheadCoefficients(std::uint64_t window) const {
    return short_coefficients[window >> (64 - kCoefficientBits)];
  }
  // A DC table's entries hold one code and its difference bits instead: total_length and the
  // extended difference as value (total_length 0 where they do not fit kCoefficientBits bits).
  const ShortCoefficients& LookAheadDcDifference(std::uint64_t window) const {
    return short_coefficients[window >> (64 - kCoefficientBits)];
  }
  bool IsDefined() const { return defined; }
  // The code values and the limits per length, as text (verbose DHT trace).
  void Dump(std::ostream& out) const;

  // The limits of length index l (0 for 1-bit codes, up to 15).
  std::int32_t MaxCode(int l) const { return maxcode[l]; }
  std::int32_t MinCode(int l) const { return mincode[l]; }
  std::uint8_t ValPtr(int l) const { return valptr[l]; }
  std::int32_t MinCodeLength() const { return min_code_length; }

  // Most codes of ordinary tables are this long or shorter (9 bits: 512 entries of 2 bytes).
  static constexpr int kLookaheadBits = 9;
  // A code with its value bits mostly needs more, and two of them more still: 11 bits give 2048
  // entries of 8 bytes.
  static constexpr int kCoefficientBits = 11;

 private:
  // A lookahead entry: code length (0: none of up to kLookaheadBits bits) and value.
  struct Lookahead {
    std::uint8_t length;
    std::uint8_t value;
  };

  // Peek for the codes longer than kLookaheadBits: the first length whose limit the leading bits
  // do not exceed.
  PeekedCode PeekLong(std::uint32_t bits) const;
  void BuildLookahead();
  void BuildShortCoefficients();
  void BuildShortDcDifferences();
  // The entries of the kCoefficientBits-bit prefixes from first_prefix on that begin with the
  // bits of lookahead entry code: the run/size pair and its value bits where they fit, or the end
  // of block, each with itself as the only pair (total_length 0 where nothing fits).
  void FillFirstPairs(Lookahead code, std::uint32_t first_prefix);

  // Largest code of each length; -1 when the length has no code.
  std::array<std::int32_t, 16> maxcode{};
  // Smallest code of each length; 257 when the length has no code.
  std::array<std::int32_t, 16> mincode{};
  // Index into huffval of the value of the smallest code of each length.
  std::array<std::uint8_t, 16> valptr{};
  // The code values in the order of the DHT payload.
  std::array<std::uint8_t, 256> huffval{};
  bool defined = false;
  // What the tables below were last built from, with huffval.
  std::array<std::uint8_t, 16> built_counts{};
  Use built_use = Use::kAcCoefficients;
  // Shortest code length present, 1 to 16 (16 for a table without codes).
  std::int32_t min_code_length = 16;
  // What DecodeExact returns and how many bits it consumes for each kLookaheadBits-bit prefix.
  std::array<Lookahead, 1 << kLookaheadBits> lookahead{};
  // The same prefixes read as one or two AC coefficients, or as a DC difference (see Use), for
  // the block decoders.
  std::array<ShortCoefficients, 1 << kCoefficientBits> short_coefficients{};
};

}  // namespace Lumarc
