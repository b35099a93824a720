// A program's resources on a host without resource sections. On Windows the loader finds a
// program's cursors in its image; here the program hands the layer a table of them at start-up,
// before its first Win32 call, and LoadCursorA with the program's instance looks them up by id.
// The layer knows no program: what a table holds is the program's business (its build generates
// the table from the same pictures as its Windows resources).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace win32compat {

// The one cursor size of the layer's display (SM_CXCURSOR, SM_CYCURSOR).
inline constexpr int kCursorSize = 32;
inline constexpr int kCursorRowBytes = kCursorSize / 8;

// One plane of a two-colour cursor, laid out as CreateCursor takes it: rows top-down, 4 bytes a
// row, the leftmost pixel in the high bit of the row's first byte.
using CursorPlane = std::array<std::uint8_t, kCursorSize * kCursorRowBytes>;

// A cursor resource (a cursor group holding one 32 x 32 two-colour image). Per pixel, AND 1 with
// XOR 0 lets the screen show through; AND 0 paints black (XOR 0) or white (XOR 1).
struct CursorResource {
  int id;
  int hotspot_x;
  int hotspot_y;
  CursorPlane and_mask;
  CursorPlane xor_mask;
};

// Everything a program brings: the tables must outlive every use (static data, as generated).
struct ProgramResources {
  std::span<const CursorResource> cursors;

  // Null when the program has no cursor of that id.
  const CursorResource* FindCursor(int id) const;
};

// Makes `resources` the program's, for every desktop of the process; returns the ones it
// replaces. A program that registers nothing has no resources of its own.
ProgramResources RegisterProgramResources(ProgramResources resources);
const ProgramResources& RegisteredProgramResources();

}  // namespace win32compat
