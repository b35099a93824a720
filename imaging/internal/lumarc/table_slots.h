#pragma once

#include <array>
#include <cstddef>
#include <memory>

namespace Lumarc {

// A reader's Count table slots of one kind, each made the first time a DHT defines it or a scan
// names it, and then kept as long as the reader: a reused reader keeps the tables of earlier
// streams, for abbreviated streams that carry none. A slot made by being named stays undefined
// (Table::IsDefined) until a segment defines it. Made on demand because Huffman tables are large
// (their lookups) and a stream uses a few of the slots: a new reader then costs little.
template <typename Table, std::size_t Count>
class TableSlots {
 public:
  // The slot at index (below Count), made now if no one asked for it before. Its address stays
  // the same as long as the reader lives.
  Table& operator[](std::size_t index) {
    std::unique_ptr<Table>& slot = slots[index];
    if (!slot) slot = std::make_unique<Table>();
    return *slot;
  }

 private:
  std::array<std::unique_ptr<Table>, Count> slots;
};

}  // namespace Lumarc
