// Writes the synthetic source picture of the reference corpus as a binary PPM (P6).
// Usage: make_test_picture WIDTH HEIGHT OUTPUT.ppm
//
// The picture is a function of (x, y, width, height) alone, so every size comes out the same on
// every machine. Its four quarters stress different parts of a decoder: smooth gradients (DC and
// low frequencies), saturated hard edges (ringing and clamping in the inverse DCT and the colour
// conversion), noise (every coefficient busy) and text-like glyphs (sharp detail on flat ground).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rgb {
  int r, g, b;
};

// A well-mixed 32-bit integer hash: deterministic noise without any generator state.
uint32_t Hash(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

int Clamp(int v) {
  return std::clamp(v, 0, 255);
}

int Ramp(int position, int extent) {
  return extent > 1 ? position * 255 / (extent - 1) : 128;
}

Rgb Gradient(int x, int y, int width, int height) {
  return {Ramp(x, width), Ramp(y, height), Ramp(x + y, width + height - 1)};
}

// Saturated squares of 6 pixels (not a multiple of 8, so edges fall inside blocks), crossed by
// one-pixel white lines.
Rgb HardEdges(int x, int y) {
  if (x % 13 == 0 || y % 11 == 0) return {255, 255, 255};
  bool odd = ((x / 6) + (y / 6)) % 2 != 0;
  return odd ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
}

Rgb Noise(int x, int y, int width, int height) {
  Rgb base = Gradient(x, y, width, height);
  uint32_t h = Hash(static_cast<uint32_t>(y) * 65537U + static_cast<uint32_t>(x));
  auto jitter = [&](int shift) { return static_cast<int>((h >> shift) & 0x7F) - 64; };
  return {Clamp(base.r + jitter(0)), Clamp(base.g + jitter(8)), Clamp(base.b + jitter(16))};
}

// Dark 5 x 7 glyphs in 6 x 9 cells on a light ground; each glyph's dots come from a hash of its
// cell, which looks like lines of print at JPEG's scale.
Rgb Text(int x, int y) {
  int column = x / 6, line = y / 9, dx = x % 6, dy = y % 9;
  if (dx == 5 || dy >= 7) return {250, 248, 240};
  uint32_t glyph = Hash(static_cast<uint32_t>(line) * 977U + static_cast<uint32_t>(column));
  bool dot = ((glyph >> (dy * 5 + dx) % 32) & 1U) != 0;
  return dot ? Rgb{20, 20, 60} : Rgb{250, 248, 240};
}

Rgb Pixel(int x, int y, int width, int height) {
  bool right = x >= width / 2, bottom = y >= height / 2;
  if (!right && !bottom) return Gradient(x, y, width, height);
  if (right && !bottom) return HardEdges(x, y);
  if (!right && bottom) return Noise(x, y, width, height);
  return Text(x, y);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_test_picture WIDTH HEIGHT OUTPUT.ppm\n";
    return 2;
  }
  int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  if (width < 1 || height < 1 || width > 65535 || height > 65535) {
    std::cerr << "make_test_picture: size out of range\n";
    return 2;
  }
  std::vector<char> row(static_cast<size_t>(width) * 3);
  std::ofstream out(argv[3], std::ios::binary);
  out << "P6\n" << width << ' ' << height << "\n255\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgb p = Pixel(x, y, width, height);
      row[3 * x] = static_cast<char>(p.r);
      row[3 * x + 1] = static_cast<char>(p.g);
      row[3 * x + 2] = static_cast<char>(p.b);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  out.close();
  if (!out) {
    std::cerr << "make_test_picture: cannot write " << argv[3] << '\n';
    return 1;
  }
  return 0;
}
