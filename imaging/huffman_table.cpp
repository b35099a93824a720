#include "lumarc/huffman_table.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"

namespace Lumarc {
namespace {

constexpr std::int32_t kNoMaxCode = -1;
constexpr std::int32_t kNoMinCode = 257;

std::uint32_t CountCodes(const std::array<std::uint8_t, 16>& counts) {
  std::uint32_t total = 0;
  for (std::uint8_t count : counts) total += count;
  return total;
}

// The size value bits after a code of `length` bits at the top of a kCoefficientBits-bit prefix
// that holds them, extended to their signed value.
std::int32_t ValueAfterCode(std::uint32_t prefix, std::uint32_t length, std::uint32_t size) {
  constexpr std::uint32_t kBits = HuffmanTable::kCoefficientBits;
  if (size == 0) return 0;
  const std::uint32_t bits = (prefix << length) & ((1u << kBits) - 1);
  return Extend(bits >> (kBits - size), size);
}

}  // namespace

HuffmanTable::HuffmanTable() {
  maxcode.fill(kNoMaxCode);
  mincode.fill(kNoMinCode);
}

std::uint32_t HuffmanTable::ReadTable(InputByteStream& stream, Use use) {
  std::array<std::uint8_t, 16> counts{};
  for (auto& count : counts) count = stream.ReadByte();
  const std::uint32_t value_count = CountCodes(counts);
  if (value_count > 256) throw JpegDecoder::JpegBadStream(message::kHuffmanCountTooLarge);
  std::array<std::uint8_t, 256> values;
  for (std::uint32_t i = 0; i < value_count; ++i) values[i] = stream.ReadByte();
  // A decoder reused for the pictures of one encoder meets the same tables again and again, and
  // building them costs a small picture a few percent of its decode.
  const bool built_already =
      defined && use == built_use && counts == built_counts &&
      std::equal(values.begin(), values.begin() + value_count, huffval.begin());
  if (!built_already) {
    std::copy(values.begin(), values.begin() + value_count, huffval.begin());
    BuildTables(counts, use);
  }
  defined = true;
  return 16 + value_count;
}

// T.81 Figure C.2 and the limits of Figure F.15. Codes are generated in 32 bits, so counts
// that oversubscribe a length make codes longer than their length rather than wrapping.
// That keeps Decode in bounds for any counts: a code that stops at length l is at least
// mincode[l] (it exceeded maxcode of every shorter length, and mincode[l] is the last such
// maxcode + 1 shifted up to l bits), and at most maxcode[l] = mincode[l] + counts[l] - 1, so
// its value index lies in [valptr[l], valptr[l] + counts[l]), inside the N values read.
void HuffmanTable::BuildTables(const std::array<std::uint8_t, 16>& counts, Use use) {
  if (CountCodes(counts) > 256) throw JpegDecoder::JpegBadStream(message::kHuffmanCountTooLarge);
  std::int32_t code = 0;
  std::int32_t first_value = 0;
  std::int32_t shortest = 0;
  for (int l = 0; l < 16; ++l) {
    if (counts[l] == 0) {
      maxcode[l] = kNoMaxCode;
      mincode[l] = kNoMinCode;
      valptr[l] = 0;
    } else {
      if (shortest == 0) shortest = l + 1;
      valptr[l] = static_cast<std::uint8_t>(first_value);
      mincode[l] = code;
      code += counts[l];
      first_value += counts[l];
      maxcode[l] = code - 1;
    }
    if (shortest != 0) code <<= 1;
  }
  // Without any code every length is tried, and the first Decode fails.
  min_code_length = shortest != 0 ? shortest : 16;
  BuildLookahead();
  if (use == Use::kAcCoefficients) {
    BuildShortCoefficients();
  } else {
    BuildShortDcDifferences();
  }
  built_counts = counts;
  built_use = use;
}

// Each prefix whose code's difference bits lie inside it. Built a lookahead entry at a time, each
// serving kCoefficientBits - kLookaheadBits more bits: small pictures feel the building.
void HuffmanTable::BuildShortDcDifferences() {
  constexpr std::uint32_t kMoreBits = kCoefficientBits - kLookaheadBits;
  for (std::uint32_t first = 0; first < lookahead.size(); ++first) {
    const Lookahead code = lookahead[first];
    const std::uint32_t size = code.value;
    const bool fits = code.length != 0 && code.length + size <= kCoefficientBits;
    for (std::uint32_t more = 0; more < (1u << kMoreBits); ++more) {
      const std::uint32_t prefix = first << kMoreBits | more;
      ShortCoefficients entry{};
      if (fits) {
        entry.total_length = static_cast<std::uint8_t>(code.length + size);
        entry.value = static_cast<std::int16_t>(ValueAfterCode(prefix, code.length, size));
      }
      short_coefficients[prefix] = entry;
    }
  }
}

// Each prefix whose code is a run/size pair with a non-zero size, followed by all the size
// value bits inside the prefix, gets the run and the extended value (T.81 EXTEND), and so does a
// second pair after it where the prefix holds that too; the codes come from the lookahead table,
// so they are at most kLookaheadBits long.
void HuffmanTable::BuildShortCoefficients() {
  constexpr std::uint32_t kMoreBits = kCoefficientBits - kLookaheadBits;
  for (std::uint32_t first = 0; first < lookahead.size(); ++first) {
    FillFirstPairs(lookahead[first], first << kMoreBits);
  }
  // The pair's second is the first of the entry of the bits after the first, where those fit the
  // bits left: then it was read from data bits alone. Entries keep their first fields, so the
  // table is extended in place.
  constexpr std::uint32_t kPrefixMask = (1u << kCoefficientBits) - 1;
  for (std::uint32_t prefix = 0; prefix < short_coefficients.size(); ++prefix) {
    ShortCoefficients& entry = short_coefficients[prefix];
    if (entry.total_length == 0 || entry.advance == kEndOfBlockAdvance) continue;
    const ShortCoefficients& second =
        short_coefficients[(prefix << entry.first_length) & kPrefixMask];
    if (second.first_length == 0 || second.first_length > kCoefficientBits - entry.first_length) {
      continue;
    }
    entry.total_length = static_cast<std::uint8_t>(entry.first_length + second.first_length);
    entry.second_advance = second.advance;
    entry.second_value = second.value;
  }
}

// The prefixes of one lookahead entry share its code and differ only in the bits after it, so
// only the value is worked out per prefix: building is felt by every picture whose tables are new
// to its decoder, and by progressive ones at each DHT between scans.
void HuffmanTable::FillFirstPairs(Lookahead code, std::uint32_t first_prefix) {
  constexpr std::uint32_t kPrefixes = 1u << (kCoefficientBits - kLookaheadBits);
  ShortCoefficients* entries = &short_coefficients[first_prefix];
  const std::uint32_t size = code.value & 15;
  if (code.length == 0 || size == 0 || code.length + size > kCoefficientBits) {
    const bool end_of_block = code.length != 0 && code.value == 0;
    const ShortCoefficients entry =
        end_of_block ? ShortCoefficients{code.length, kEndOfBlockAdvance, 0, code.length, 0, 0}
                     : ShortCoefficients{};
    std::fill_n(entries, kPrefixes, entry);
    return;
  }
  const auto total_length = static_cast<std::uint8_t>(code.length + size);
  const auto advance = static_cast<std::uint8_t>((code.value >> 4) + 1);
  for (std::uint32_t more = 0; more < kPrefixes; ++more) {
    const auto value =
        static_cast<std::int16_t>(ValueAfterCode(first_prefix | more, code.length, size));
    entries[more] = {total_length, advance, value, total_length, 0, value};
  }
}

// Runs DecodeExact's comparisons on every prefix, so a hit returns exactly what DecodeExact
// would for the same bits, whatever the counts (oversubscribed ones included).
void HuffmanTable::BuildLookahead() {
  for (std::uint32_t prefix = 0; prefix < lookahead.size(); ++prefix) {
    lookahead[prefix] = {0, 0};
    for (int l = min_code_length - 1; l < kLookaheadBits; ++l) {
      const auto code = static_cast<std::int32_t>(prefix >> (kLookaheadBits - 1 - l));
      if (code > maxcode[l]) continue;
      const std::int32_t index = valptr[l] + code - mincode[l];
      // Out-of-range indices cannot arise (see BuildTables); leaving them to DecodeExact keeps
      // this table in bounds even so.
      if (index >= 0 && index < 256) {
        lookahead[prefix] = {static_cast<std::uint8_t>(l + 1), huffval[index]};
      }
      break;
    }
  }
}

HuffmanTable::PeekedCode HuffmanTable::PeekLong(std::uint32_t bits) const {
  for (int l = std::max(kLookaheadBits, min_code_length - 1); l < 16; ++l) {
    const auto code = static_cast<std::int32_t>(bits >> (31 - l));
    if (code > maxcode[l]) continue;
    const std::int32_t index = valptr[l] + code - mincode[l];
    if (index < 0 || index >= 256) break;
    return {huffval[index], static_cast<std::uint8_t>(l + 1)};
  }
  return {0, 0};
}

// Anything unusual (no window, a code longer than 16 bits, a bad code) goes to DecodeExact
// before a single bit is consumed, so errors and the stream position are DecodeExact's own.
std::uint8_t HuffmanTable::Decode(InputByteStream& stream) const {
  if (!stream.FastBitsReady()) return DecodeExact(stream);
  const PeekedCode code = Peek(stream.PeekFastBits());
  if (code.length == 0) return DecodeExact(stream);
  stream.SkipFastBits(code.length);
  return code.value;
}

std::uint8_t HuffmanTable::DecodeExact(InputByteStream& stream) const {
  auto code =
      static_cast<std::int32_t>(stream.ReadBitsExact(static_cast<std::uint32_t>(min_code_length)));
  int l = min_code_length - 1;
  while (code > maxcode[l]) {
    if (l == 15) throw JpegDecoder::JpegBadStream(message::kBadHuffmanCodeLength);
    code = code * 2 + stream.ReadBit();
    ++l;
  }
  return huffval[valptr[l] + code - mincode[l]];
}

void HuffmanTable::Dump(std::ostream& out) const {
  const std::ios_base::fmtflags saved_flags = out.flags();
  std::int32_t value_count = 0;
  for (int l = 15; l >= 0; --l) {
    if (maxcode[l] != kNoMaxCode) {
      value_count = valptr[l] + maxcode[l] - mincode[l] + 1;
      break;
    }
  }
  out << "   Code Values: ";
  for (std::int32_t i = 0; i < value_count; ++i) {
    out << std::dec << i << std::hex << static_cast<int>(huffval[i]) << " ";
  }
  out << std::dec << std::endl;
  out << "Length"
      << "\t\t"
      << "Mincode"
      << "\t\t"
      << "Maxcode"
      << "\t\t"
      << "Valptr" << std::endl;
  out << std::string(55, '-') << std::endl;
  for (int l = 0; l < 16; ++l) {
    out << l << "\t\t" << mincode[l] << "\t\t" << maxcode[l] << "\t\t"
        << static_cast<int>(valptr[l]) << std::endl;
  }
  out.flags(saved_flags);
}

}  // namespace Lumarc
