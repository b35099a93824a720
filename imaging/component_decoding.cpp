// Decoding one data unit of entropy-coded data: whole blocks for sequential scans, and the four
// kinds of progressive scans of T.81 Annex G with end-of-band runs and successive approximation.
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lumarc/decode_path.h"
#include "lumarc/huffman_table.h"
#include "lumarc/image_component.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_decoder.h"
#include "lumarc/messages.h"
#include "lumarc/refinement_walk.h"
#include "lumarc/zigzag.h"

namespace Lumarc {

namespace {

using JpegBadStream = JpegDecoder::JpegBadStream;

// The steps that differ between the paths, one code or one value at a time: the fast path
// takes them from the bit window where it can, the reference path bit by bit.
template <DecodePath Path>
std::uint32_t DecodeCode(const HuffmanTable& table, InputByteStream& stream) {
  return Path == DecodePath::kFast ? table.Decode(stream) : table.DecodeExact(stream);
}

template <DecodePath Path>
std::uint32_t ReceiveBits(InputByteStream& stream, std::uint32_t count) {
  return Path == DecodePath::kFast ? stream.ReadBits(count) : stream.ReadBitsExact(count);
}

// A magnitude of `bits` bits read from the stream and extended to its signed value.
template <DecodePath Path>
std::int32_t ReceiveExtend(InputByteStream& stream, std::uint32_t bits) {
  return Extend(ReceiveBits<Path>(stream, bits), bits);
}

// What the bit window holds after a code of `length` bits: its next `count` bits (0 to 16) as an
// unsigned number. A code of at most 16 bits and 16 more bits fit the window's 32.
std::uint32_t BitsAfterCode(std::uint32_t bits, std::uint32_t length, std::uint32_t count) {
  return count == 0 ? 0 : (bits << length) >> (32 - count);
}

// With eight stores of 16 bytes, written out: compilers otherwise zero a block, even from a loop
// of such stores, with a string instruction whose start costs more than the whole block (12 % of
// a sparse picture's decode).
void Clear(CoefficientBlock& block) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  auto* lines = reinterpret_cast<__m128i*>(block.data());
  _mm_storeu_si128(lines + 0, zero);
  _mm_storeu_si128(lines + 1, zero);
  _mm_storeu_si128(lines + 2, zero);
  _mm_storeu_si128(lines + 3, zero);
  _mm_storeu_si128(lines + 4, zero);
  _mm_storeu_si128(lines + 5, zero);
  _mm_storeu_si128(lines + 6, zero);
  _mm_storeu_si128(lines + 7, zero);
#else
  // Without vector registers: word stores, still written out.
  [&block]<std::size_t... kWord>(std::index_sequence<kWord...>) {
    constexpr std::uint64_t kZero = 0;
    (std::memcpy(block.data() + 4 * kWord, &kZero, sizeof kZero), ...);
  }
  (std::make_index_sequence<16>{});
#endif
}

// A run/size byte of T.81 F.1.2.2: zeros to skip, then the bits of the next coefficient.
struct RunSize {
  std::uint32_t run;
  std::uint32_t size;
};
constexpr RunSize SplitRunSize(std::uint32_t rs) {
  return {rs >> 4, rs & 15};
}

// A fault found on the cursor: its `bits` are taken, and the cursor handed back, before the
// error is raised, so that the stream stands where the exact path would have found it. The
// cursor comes by value: a hot loop's cursor whose address reached a call would no longer be
// kept in registers (10 % more instructions in refinement scans).
[[noreturn, gnu::cold, gnu::noinline]] void FailAfter(InputByteStream& stream,
                                                      InputByteStream::BitCursor cursor,
                                                      std::uint32_t bits, const char* message) {
  cursor.Skip(bits);
  stream.Resume(cursor);
  throw JpegBadStream(message);
}

// The point transform of successive approximation, kept to 16 bits as the block stores it.
std::int16_t ShiftLeft(std::int32_t value, std::uint32_t al) {
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) << al);
}

}  // namespace

// A damaged stream can add differences for ever; the predictor wraps modulo 2^32 instead of
// overflowing, which changes nothing for the 16-bit coefficient it feeds.
std::int32_t ImageComponent::AddDcDifference(std::int32_t difference) {
  dc_predictor = static_cast<std::int32_t>(static_cast<std::uint32_t>(dc_predictor) +
                                           static_cast<std::uint32_t>(difference));
  return dc_predictor;
}

template <DecodePath Path>
std::int32_t ImageComponent::DecodeDcDifference(InputByteStream& stream) {
  const std::uint32_t size = DecodeCode<Path>(*dc_table, stream);
  // Sizes above 11 do not occur in 8-bit data; above 16 the bit reader cannot serve them.
  if (size > 16) throw JpegBadStream(message::kDcDifferenceSizeOutOfRange);
  return AddDcDifference(ReceiveExtend<Path>(stream, size));
}

// The fast path first takes the DC difference from one look at the bit window, then the run/size
// codes for as long as the window lasts; whatever is left (near a marker or the end of the data,
// or a bad code) goes one code at a time, as on the reference path.
template <DecodePath Path>
void ImageComponent::DecodeSequential(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                                      InverseDctRoutine inverse_dct) {
  CoefficientBlock block;
  if (DecodeBlock<Path>(stream, block)) {
    // What every transform gives a DC-only block (inverse_dct.h), without looking for it.
    Unit(row, col).samples.fill(
        inverse_dct_detail::DcOnlySample(block[0], quantization_table->ScaledTable()[0]));
  } else {
    inverse_dct(Unit(row, col), block, *quantization_table);
  }
  ++transformed_blocks;
}

// Decoded in a block of this thread's own and then copied: the ring's lines go back and forth
// between the two threads' caches, and only the copy waits for them.
void ImageComponent::DecodeSequentialCoefficients(InputByteStream& stream, std::uint32_t row,
                                                  std::uint32_t col) {
  CoefficientBlock block;
  if (DecodeBlock<DecodePath::kFast>(stream, block)) {
    const std::int16_t dc = block[0];
    Clear(block);
    block[0] = dc;
  }
  Coefficients(row, col) = block;
}

void ImageComponent::TransformUnit(std::uint32_t row, std::uint32_t col,
                                   InverseDctRoutine inverse_dct) {
  inverse_dct(Unit(row, col), Coefficients(row, col), *quantization_table);
  ++transformed_blocks;
}

// True, with only block[0] written, for a block the fast path finds DC-only (its first AC code
// ends it); otherwise every coefficient is written.
template <DecodePath Path>
[[gnu::always_inline]] inline bool ImageComponent::DecodeBlock(InputByteStream& stream,
                                                               CoefficientBlock& block) {
  std::uint32_t k = 0;
  if constexpr (Path == DecodePath::kFast) {
    k = DecodeBlockFromWindow(stream, block);
    if (k == kDcOnlyBlock) return true;
  } else {
    Clear(block);
  }
  if (k == 0) {
    block[0] = static_cast<std::int16_t>(DecodeDcDifference<Path>(stream));
    k = 1;
  }
  while (k < 64) {
    if constexpr (Path == DecodePath::kFast) k = DecodeSequentialAcRun(stream, block, k);
    if (k < 64) k = DecodeSequentialAcExact<Path>(stream, block, k);
  }
  return false;
}

namespace {

// Where a short coefficient belongs once the zigzag index has moved past it: zigzag index k - 1
// for k up to 64, and natural position 0 beyond (an end of block, or an index out of range),
// where the DC is put back. The common path thus stores before it checks.
constexpr std::array<std::uint8_t, 256> kNaturalBeforeIndex = [] {
  std::array<std::uint8_t, 256> natural{};
  for (std::size_t k = 1; k <= 64; ++k) natural[k] = kZigzagToNatural[k - 1];
  return natural;
}();

}  // namespace

// Consumes what belongs to this block exactly as one code at a time would (first_k is the index
// after the first coefficient). A coefficient beyond the last position is refused once its
// code's bits are taken.
[[gnu::always_inline]] inline ImageComponent::ShortCoefficientsEnd
ImageComponent::EndShortCoefficients(const HuffmanTable::ShortCoefficients& pair,
                                     std::uint32_t bits, std::uint32_t first_k) const {
  if (first_k >= 64) {
    if (first_k == 64 || pair.advance == HuffmanTable::kEndOfBlockAdvance) {
      return {64, pair.first_length};
    }
    return {kRefusedIndex, ac_table->Peek(bits).length};
  }
  const std::uint32_t k = first_k + pair.second_advance;
  if (k == 64 || pair.second_advance == HuffmanTable::kEndOfBlockAdvance) {
    return {64, pair.total_length};
  }
  // The second lies beyond the block's last position: it is decoded again, alone, to be refused.
  return {first_k, pair.first_length};
}

// One or two short coefficients (HuffmanTable::LookAheadCoefficients) from one lookup, or the
// block's end: false, with nothing taken, where the window's first bits hold none. Takes at most
// kCoefficientBits bits.
[[gnu::always_inline]] inline bool ImageComponent::TakeShortCoefficients(
    const HuffmanTable& table, InputByteStream& stream, InputByteStream::BitCursor& cursor,
    CoefficientBlock& block, std::int16_t dc, std::uint32_t& k) {
  const HuffmanTable::ShortCoefficients& pair = table.LookAheadCoefficients(cursor.Window());
  if (pair.total_length == 0) return false;
  const std::uint32_t first_k = k + pair.advance;
  block[kNaturalBeforeIndex[first_k]] = pair.value;
  k = first_k + pair.second_advance;
  block[kNaturalBeforeIndex[k]] = pair.second_value;
  if (k < 64) {
    cursor.Skip(pair.total_length);
    return true;
  }
  block[0] = dc;
  const ShortCoefficientsEnd end = EndShortCoefficients(pair, cursor.Bits(), first_k);
  if (end.k == kRefusedIndex) {
    FailAfter(stream, cursor, end.length, message::kCoefficientIndexOutOfRange);
  }
  cursor.Skip(end.length);
  k = end.k;
  return true;
}

// Fill leaves 32 bits of data in the window; a lookup takes at most kCoefficientBits of them.
static_assert(2 * HuffmanTable::kCoefficientBits <= 32, "two lookups per fill");

// The cursor is handed back to the stream before an error is raised, and otherwise left to the
// caller to hand back.
[[gnu::always_inline]] inline std::uint32_t ImageComponent::DecodeAcOnCursor(
    InputByteStream& stream, InputByteStream::BitCursor& cursor, CoefficientBlock& block,
    std::uint32_t k) {
  const HuffmanTable& table = *ac_table;  // held in a register across the block's stores
  const std::int16_t dc = block[0];
  while (k < 64 && cursor.Fill()) {
    // Most coefficients of a block, and its end, come in short codes with small values: two
    // lookups of up to two of them each before the window is filled again.
    if (TakeShortCoefficients(table, stream, cursor, block, dc, k)) {
      if (k < 64) TakeShortCoefficients(table, stream, cursor, block, dc, k);
      continue;
    }
    const std::uint32_t bits = cursor.Bits();
    const HuffmanTable::PeekedCode code = table.Peek(bits);
    if (code.length == 0) break;
    const auto [run, size] = SplitRunSize(code.value);
    if (size == 0) {
      cursor.Skip(code.length);
      k = run == 15 ? k + 16 : 64;  // sixteen zeros, or the end of the block
      continue;
    }
    k += run;
    if (k > 63) {
      FailAfter(stream, cursor, code.length, message::kCoefficientIndexOutOfRange);
    }
    cursor.Skip(code.length + size);
    block[kZigzagToNatural[k]] =
        static_cast<std::int16_t>(Extend(BitsAfterCode(bits, code.length, size), size));
    ++k;
  }
  return k;
}

// DecodeDcDifference from one look at the bit window: the bits taken, or 0, with nothing taken,
// when the window is too short or the code bad, for DecodeDcDifference to take it exactly.
[[gnu::always_inline]] inline std::uint32_t ImageComponent::DecodeDcOnCursor(
    InputByteStream& stream, InputByteStream::BitCursor& cursor, std::int16_t& dc) {
  if (!cursor.Fill()) return 0;
  // Most differences: the code and its bits at once.
  const HuffmanTable::ShortCoefficients& difference =
      dc_table->LookAheadDcDifference(cursor.Window());
  if (difference.total_length != 0) {
    cursor.Skip(difference.total_length);
    dc = static_cast<std::int16_t>(AddDcDifference(difference.value));
    return difference.total_length;
  }
  const std::uint32_t bits = cursor.Bits();
  const HuffmanTable::PeekedCode code = dc_table->Peek(bits);
  if (code.length == 0) return 0;
  const std::uint32_t size = code.value;
  if (size > 16) {
    FailAfter(stream, cursor, code.length, message::kDcDifferenceSizeOutOfRange);
  }
  cursor.Skip(code.length + size);
  dc = static_cast<std::int16_t>(
      AddDcDifference(Extend(BitsAfterCode(bits, code.length, size), size)));
  return code.length + size;
}

// The fast path takes the DC difference and as many AC codes as the window allows with one cursor:
// the block's first index still to decode, 0 (nothing consumed) when the DC difference could not
// be taken there, kDcOnlyBlock when the first AC code ends the block. The block is cleared only
// when an AC coefficient may follow.
[[gnu::always_inline]] inline std::uint32_t ImageComponent::DecodeBlockFromWindow(
    InputByteStream& stream, CoefficientBlock& block) {
  InputByteStream::BitCursor cursor = stream.FastCursor();
  std::int16_t dc = 0;
  const std::uint32_t dc_length = DecodeDcOnCursor(stream, cursor, dc);
  if (dc_length == 0) {
    Clear(block);
    return 0;
  }
  // A short difference left the first AC lookup enough of the bits the DC's fill allowed.
  if (dc_length <= HuffmanTable::kCoefficientBits || cursor.Fill()) {
    const HuffmanTable::ShortCoefficients& first = ac_table->LookAheadCoefficients(cursor.Window());
    if (first.advance == HuffmanTable::kEndOfBlockAdvance) {
      cursor.Skip(first.first_length);
      stream.Resume(cursor);
      block[0] = dc;
      return kDcOnlyBlock;
    }
  }
  Clear(block);
  block[0] = dc;
  const std::uint32_t k = DecodeAcOnCursor(stream, cursor, block, 1);
  stream.Resume(cursor);
  return k;
}

// Takes run/size codes and their values from the bit window for as long as it lasts and the
// codes are valid, each code and value from one look at it (a bad code is left to the exact
// step to refuse); returns the next zigzag index, 64 or more at the end of the block. Consumes and
// raises exactly as the exact step would code by code: a code's bits are taken before an index out
// of range is refused.
std::uint32_t ImageComponent::DecodeSequentialAcRun(InputByteStream& stream,
                                                    CoefficientBlock& block, std::uint32_t k) {
  InputByteStream::BitCursor cursor = stream.FastCursor();
  k = DecodeAcOnCursor(stream, cursor, block, k);
  stream.Resume(cursor);
  return k;
}

template <DecodePath Path>
std::uint32_t ImageComponent::DecodeSequentialAcExact(InputByteStream& stream,
                                                      CoefficientBlock& block, std::uint32_t k) {
  const std::uint32_t rs = DecodeCode<Path>(*ac_table, stream);
  const auto [run, size] = SplitRunSize(rs);
  if (size == 0) return run == 15 ? k + 16 : 64;  // sixteen zeros, or the end of the block
  k += run;
  if (k > 63) throw JpegBadStream(message::kCoefficientIndexOutOfRange);
  block[kZigzagToNatural[k]] = static_cast<std::int16_t>(ReceiveExtend<Path>(stream, size));
  return k + 1;
}

// The predictor stays unshifted; only the stored coefficient carries the point transform.
template <DecodePath Path>
void ImageComponent::DecodeDcFirst(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                                   std::uint32_t al) {
  const std::int32_t dc = DecodeDcDifference<Path>(stream);
  Coefficients(row, col)[0] = ShiftLeft(dc, al);
}

void ImageComponent::DecodeDcRefine(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                                    std::uint32_t al) {
  std::int16_t& dc = Coefficients(row, col)[0];
  dc = static_cast<std::int16_t>(dc | (stream.ReadBit() << al));
}

template <DecodePath Path>
void ImageComponent::DecodeAcFirst(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                                   std::uint32_t ss, std::uint32_t se, std::uint32_t al) {
  if (eob_run != 0) {
    --eob_run;
    return;
  }
  CoefficientBlock& block = Coefficients(row, col);
  for (std::uint32_t k = ss; k <= se;) {
    if constexpr (Path == DecodePath::kFast) k = DecodeAcFirstRun(stream, block, k, se, al);
    if (k <= se) k = DecodeAcFirstExact<Path>(stream, block, k, al);
  }
}

// As DecodeSequentialAcRun, for the band k..se of a first AC scan; kEndOfBand once an
// end-of-band code (with its run length bits, at most 14) has been taken.
std::uint32_t ImageComponent::DecodeAcFirstRun(InputByteStream& stream, CoefficientBlock& block,
                                               std::uint32_t k, std::uint32_t se,
                                               std::uint32_t al) {
  InputByteStream::BitCursor cursor = stream.FastCursor();
  const HuffmanTable& table = *ac_table;
  while (k <= se && cursor.Fill()) {
    const HuffmanTable::ShortCoefficients& coefficient =
        table.LookAheadCoefficients(cursor.Window());
    const std::uint32_t bits = cursor.Bits();
    if (coefficient.total_length != 0) {
      if (coefficient.advance == HuffmanTable::kEndOfBlockAdvance) {
        cursor.Skip(coefficient.first_length);
        k = kEndOfBand;  // EOB0: this block alone
        continue;
      }
      k += coefficient.advance - 1u;
      if (k > 63) {
        FailAfter(stream, cursor, table.Peek(bits).length, message::kDataOutOfRange);
      }
      cursor.Skip(coefficient.first_length);
      block[kZigzagToNatural[k]] = ShiftLeft(coefficient.value, al);
      ++k;
      continue;
    }
    const HuffmanTable::PeekedCode code = table.Peek(bits);
    if (code.length == 0) break;
    const auto [run, size] = SplitRunSize(code.value);
    if (size == 0 && run == 15) {
      cursor.Skip(code.length);
      k += 16;
    } else if (size == 0) {
      if (run != 0) eob_run = (std::uint32_t{1} << run) + BitsAfterCode(bits, code.length, run) - 1;
      cursor.Skip(code.length + run);
      k = kEndOfBand;
    } else {
      k += run;
      if (k > 63) {
        FailAfter(stream, cursor, code.length, message::kDataOutOfRange);
      }
      cursor.Skip(code.length + size);
      block[kZigzagToNatural[k]] =
          ShiftLeft(Extend(BitsAfterCode(bits, code.length, size), size), al);
      ++k;
    }
  }
  stream.Resume(cursor);
  return k;
}

// One code of a first AC scan and what follows it; kEndOfBand at the end of the band.
template <DecodePath Path>
std::uint32_t ImageComponent::DecodeAcFirstExact(InputByteStream& stream, CoefficientBlock& block,
                                                 std::uint32_t k, std::uint32_t al) {
  const std::uint32_t rs = DecodeCode<Path>(*ac_table, stream);
  const auto [run, size] = SplitRunSize(rs);
  if (size != 0) {
    k += run;
    if (k > 63) throw JpegBadStream(message::kDataOutOfRange);
    block[kZigzagToNatural[k]] = ShiftLeft(ReceiveExtend<Path>(stream, size), al);
    return k + 1;
  }
  if (run == 15) return k + 16;
  // End of band: EOBr covers 2^r + extra blocks, this one being the first of them.
  if (run != 0) eob_run = (std::uint32_t{1} << run) + ReceiveBits<Path>(stream, run) - 1;
  return kEndOfBand;
}

// A scan header may carry Se above 63; positions beyond 63 count as lying outside the band, so
// they are never read or written.
template <DecodePath Path>
void ImageComponent::DecodeAcRefine(InputByteStream& stream, std::uint32_t row, std::uint32_t col,
                                    std::uint32_t ss, std::uint32_t se, std::uint32_t al) {
  const std::int32_t p = std::int32_t{1} << al;
  const std::uint32_t last = std::min(se, 63u);
  CoefficientBlock& block = Coefficients(row, col);
  if constexpr (Path == DecodePath::kFast) {
    FastRefinementWalk walk(block);
    for (std::uint32_t k = ss; k <= last;) {
      k = DecodeAcRefineRun(stream, walk, k, last, p);
      if (k <= last) k = DecodeAcRefineExact<Path>(stream, walk, k, last, p);
    }
  } else {
    CoefficientWalk walk(block);
    for (std::uint32_t k = ss; k <= last;) k = DecodeAcRefineExact<Path>(stream, walk, k, last, p);
  }
}

// One step of a refinement scan: the rest of a block inside an end-of-band run (kEndOfBand
// after it), or one code and what it asks for; returns the next position.
template <DecodePath Path, typename Walk>
std::uint32_t ImageComponent::DecodeAcRefineExact(InputByteStream& stream, Walk& walk,
                                                  std::uint32_t k, std::uint32_t last,
                                                  std::int32_t p) {
  auto next_bit = [&stream] { return stream.ReadBit(); };
  if (eob_run != 0) {
    walk.RefineBand(k, last, p, next_bit);
    --eob_run;
    return kEndOfBand;
  }
  const std::uint32_t rs = DecodeCode<Path>(*ac_table, stream);
  const auto [run, size] = SplitRunSize(rs);
  if (size == 0 && run == 15) return walk.PassSixteenZeros(k, last, p, next_bit);
  if (size == 0) {
    // The next step refines the rest of this block and counts it as the first of the run.
    eob_run = run == 0 ? 1 : (std::uint32_t{1} << run) + ReceiveBits<Path>(stream, run);
    return k;
  }
  if (size != 1) throw JpegBadStream(message::kInvalidValueInInputStream);
  const bool positive = stream.ReadBit() == 1;
  k = walk.PlaceNewCoefficient(k, last, run, positive, p, next_bit);
  if (k == kOutsideBand) throw JpegBadStream(message::kErrorInProgressiveScan);
  return k;
}

// As DecodeAcRefineExact, step after step, while the bit window holds the most a step can take:
// a code of up to 16 bits, 14 run-length bits or a sign bit, and 63 correction bits.
template <typename Walk>
std::uint32_t ImageComponent::DecodeAcRefineRun(InputByteStream& stream, Walk& walk,
                                                std::uint32_t k, std::uint32_t last,
                                                std::int32_t p) {
  constexpr std::uint32_t kLongestStep = 16 + 14 + 63;
  InputByteStream::BitCursor cursor = stream.FastCursor();
  auto next_bit = [&cursor] { return cursor.TakeBit(); };
  while (k <= last && cursor.ReadyFor(kLongestStep)) {
    if (eob_run != 0) {
      walk.RefineBand(k, last, p, next_bit);
      --eob_run;
      k = kEndOfBand;
      break;
    }
    const std::uint32_t bits = cursor.Peek();
    const HuffmanTable::PeekedCode code = ac_table->Peek(bits);
    if (code.length == 0) break;
    const auto [run, size] = SplitRunSize(code.value);
    if (size == 0 && run == 15) {
      cursor.Skip(code.length);
      k = walk.PassSixteenZeros(k, last, p, next_bit);
    } else if (size == 0) {
      eob_run = run == 0 ? 1 : (std::uint32_t{1} << run) + BitsAfterCode(bits, code.length, run);
      cursor.Skip(code.length + run);
    } else if (size == 1) {
      const bool positive = BitsAfterCode(bits, code.length, 1) == 1;
      cursor.Skip(code.length + 1);
      k = walk.PlaceNewCoefficient(k, last, run, positive, p, next_bit);
      if (k == kOutsideBand) FailAfter(stream, cursor, 0, message::kErrorInProgressiveScan);
    } else {
      FailAfter(stream, cursor, code.length, message::kInvalidValueInInputStream);
    }
  }
  stream.Resume(cursor);
  return k;
}

// A frame header of a few bytes can declare millions of blocks that no scan ever reaches; they
// still hold zero coefficients, and their samples are those of the zero block (128 for every
// table), so only blocks that some scan's bits gave a value are transformed.
void ImageComponent::ProgressiveInverseDct(InverseDctRoutine inverse_dct) {
  ProgressiveInverseDct(0, grid.data_unit_rows, inverse_dct);
}

void ImageComponent::ProgressiveInverseDct(std::uint32_t first, std::uint32_t end,
                                           InverseDctRoutine inverse_dct) {
  if (!data_units || !coefficients) return;
  static const CoefficientBlock kZeroBlock{};
  if (!zero_unit) {
    zero_unit = std::make_unique<DataUnit>();
    inverse_dct(*zero_unit, kZeroBlock, *quantization_table);
    ++transformed_blocks;
  }
  for (std::uint32_t row = first; row < end; ++row) {
    for (std::uint32_t col = 0; col < grid.data_unit_cols; ++col) {
      const CoefficientBlock& block = Coefficients(row, col);
      if (block == kZeroBlock) {
        Unit(row, col).samples = zero_unit->samples;
      } else {
        inverse_dct(Unit(row, col), block, *quantization_table);
        ++transformed_blocks;
      }
    }
  }
}

#define LUMARC_INSTANTIATE_FOR_PATH(Path)                                                         \
  template void ImageComponent::DecodeSequential<Path>(InputByteStream&, std::uint32_t,           \
                                                       std::uint32_t, InverseDctRoutine);         \
  template void ImageComponent::DecodeDcFirst<Path>(InputByteStream&, std::uint32_t,              \
                                                    std::uint32_t, std::uint32_t);                \
  template void ImageComponent::DecodeAcFirst<Path>(InputByteStream&, std::uint32_t,              \
                                                    std::uint32_t, std::uint32_t, std::uint32_t,  \
                                                    std::uint32_t);                               \
  template void ImageComponent::DecodeAcRefine<Path>(InputByteStream&, std::uint32_t,             \
                                                     std::uint32_t, std::uint32_t, std::uint32_t, \
                                                     std::uint32_t);
LUMARC_INSTANTIATE_FOR_PATH(DecodePath::kFast)
LUMARC_INSTANTIATE_FOR_PATH(DecodePath::kReference)
#undef LUMARC_INSTANTIATE_FOR_PATH

}  // namespace Lumarc
