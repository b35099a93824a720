// The program's one resource, the hand cursor, as data that a platform without Windows resources
// can turn into a cursor. The Windows build carries the same picture as cursor group 102.
#pragma once

#include <array>
#include <cstdint>

namespace LumarcResources {

inline constexpr int kHandCursorId = 102;
inline constexpr int kCursorSize = 32;
inline constexpr int kCursorRowBytes = kCursorSize / 8;

// The two planes a Windows cursor is made of, laid out as CreateCursor takes them: rows top-down,
// 4 bytes a row, the leftmost pixel in the high bit of the row's first byte. Per pixel, AND 1
// with XOR 0 lets the screen show through; AND 0 paints black (XOR 0) or white (XOR 1).
struct MonochromeCursor {
  int hotspot_x;
  int hotspot_y;
  std::array<std::uint8_t, kCursorSize * kCursorRowBytes> and_mask;
  std::array<std::uint8_t, kCursorSize * kCursorRowBytes> xor_mask;
};

extern const MonochromeCursor kHandCursor;

// What LoadCursorA with the program's instance finds for a resource number; null when the
// program has no such cursor.
inline const MonochromeCursor* FindCursorResource(int id) {
  return id == kHandCursorId ? &kHandCursor : nullptr;
}

}  // namespace LumarcResources
