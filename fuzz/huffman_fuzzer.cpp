// One Huffman table read from the front of the input, then codes decoded from the rest through
// the bit reader, exercising byte stuffing, marker refusal and the end of data together.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "lumarc/graphics_exception.h"
#include "lumarc/huffman_table.h"
#include "lumarc/input_byte_stream.h"
#include "lumarc/memory_input_byte_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // Small chunk sizes put chunk boundaries inside the table and inside stuffed pairs, where
  // the refill logic is easiest to get wrong.
  const std::size_t chunk_size = (data[0] & 0x0F) == 0
                                     ? Lumarc::MemoryInputByteStream::kDefaultChunkSize
                                     : static_cast<std::size_t>(data[0] & 0x0F);
  Lumarc::MemoryInputByteStream stream(std::span<const std::uint8_t>(data + 1, size - 1),
                                       chunk_size);
  const bool extra_bits = (data[0] & 0x10) != 0;
  Lumarc::HuffmanTable table;
  try {
    table.ReadTable(stream);
    stream.BeginBitReading();
    // Ends by an exception at the latest when the input runs out: each Decode takes a bit.
    for (;;) {
      const std::uint8_t value = table.Decode(stream);
      // As in a scan, the low four bits of a value can ask for that many extra bits, so the
      // fuzzer also reaches ReadBits at arbitrary bit offsets.
      if (extra_bits) stream.ReadBits(value & 0x0F);
    }
  } catch (const Lumarc::GraphicsException&) {
  } catch (const Lumarc::InputByteStream::StreamError&) {
  } catch (const std::bad_alloc&) {
  }
  // A Decode failure leaves the stream in bit mode; leaving it then may still refuse a 0xFF
  // that is not followed by its stuffed 0x00, which is an error of the input, not a finding.
  try {
    stream.EndBitReading();
  } catch (const Lumarc::InputByteStream::StreamError&) {
  }
  return 0;
}
