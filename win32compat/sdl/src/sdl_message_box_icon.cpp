#include "sdl_message_box_icon.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace win32compat {
namespace {

// Shapes are tests of a point of the 32 x 32 icon, in pixels with fractions.
using Shape = std::function<bool(double x, double y)>;

struct Layer {
  Shape shape;
  std::uint32_t pixel;
};

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4;  // per pixel and direction: soft edges without a drawing library

Shape Disc(double cx, double cy, double radius) {
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; };
}

// A stroke from (x0, y0) to (x1, y1) with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double width) {
  return [=](double x, double y) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double along =
        std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (x0 + along * dx), y - (y0 + along * dy)) <= width / 2;
  };
}

// The part of a ring from `from` to `to` (degrees, clockwise on the screen, 0 pointing right).
Shape Arc(double cx, double cy, double radius, double width, double from, double to) {
  return [=](double x, double y) {
    if (std::abs(std::hypot(x - cx, y - cy) - radius) > width / 2) return false;
    double angle = std::atan2(y - cy, x - cx) * 180 / kPi;
    while (angle < from) angle += 360;
    return angle <= to;
  };
}

Shape Triangle(double inset) {
  // Apex at the top middle, base along the bottom; each edge moved in by `inset`.
  return [=](double x, double y) {
    const double top = 1.5 + inset * 2.2;
    const double bottom = 29.5 - inset;
    if (y < top || y > bottom) return false;
    const double half = (y - top) * 14.5 / 28.0;
    return std::abs(x - 16) <= half;
  };
}

std::vector<Layer> LayersOf(UINT style) {
  constexpr std::uint32_t kWhite = PixelFromRgb(255, 255, 255);
  constexpr std::uint32_t kBlack = PixelFromRgb(0, 0, 0);
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      return {{Disc(16, 16, 15.5), PixelFromRgb(128, 0, 0)},
              {Disc(16, 16, 14.5), PixelFromRgb(230, 0, 0)},
              {Stroke(10.5, 10.5, 21.5, 21.5, 3.5), kWhite},
              {Stroke(21.5, 10.5, 10.5, 21.5, 3.5), kWhite}};
    case MB_ICONWARNING:
      return {{Triangle(0), kBlack},
              {Triangle(1.3), PixelFromRgb(255, 230, 0)},
              {Stroke(16, 11, 16, 20, 3.5), kBlack},
              {Disc(16, 25, 2.1), kBlack}};
    case MB_ICONINFORMATION:
      return {{Disc(16, 16, 15.5), PixelFromRgb(0, 0, 128)},
              {Disc(16, 16, 14.5), PixelFromRgb(0, 64, 220)},
              {Disc(16, 8.5, 2.4), kWhite},
              {Stroke(16, 13.5, 16, 24, 4), kWhite}};
    case MB_ICONQUESTION:
      return {{Disc(16, 16, 15.5), PixelFromRgb(0, 0, 128)},
              {Disc(16, 16, 14.5), PixelFromRgb(0, 64, 220)},
              {Arc(16, 11.5, 5, 3.5, 180, 450), kWhite},
              {Stroke(16, 16.5, 16, 19.5, 3.5), kWhite},
              {Disc(16, 24.5, 2.2), kWhite}};
    default:
      return {};
  }
}

std::uint32_t Blend(std::uint32_t under, std::uint32_t over, int covered, int samples) {
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t a = under >> shift & 0xFF;
    const std::uint32_t b = over >> shift & 0xFF;
    result |= (a * static_cast<std::uint32_t>(samples - covered) +
               b * static_cast<std::uint32_t>(covered)) /
                  static_cast<std::uint32_t>(samples)
              << shift;
  }
  return result;
}

}  // namespace

bool HasMessageBoxIcon(UINT style) {
  return !LayersOf(style).empty();
}

void DrawMessageBoxIcon(SdlPixelBuffer& buffer, const RECT& place, UINT style,
                        std::uint32_t background) {
  const std::vector<Layer> layers = LayersOf(style);
  const RECT all{0, 0, buffer.Width(), buffer.Height()};
  for (LONG y = 0; y < place.bottom - place.top; ++y) {
    for (LONG x = 0; x < place.right - place.left; ++x) {
      std::uint32_t pixel = background;
      for (const Layer& layer : layers) {
        int covered = 0;
        for (int sy = 0; sy < kSamples; ++sy) {
          for (int sx = 0; sx < kSamples; ++sx) {
            covered += layer.shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
          }
        }
        pixel = Blend(pixel, layer.pixel, covered, kSamples * kSamples);
      }
      const LONG left = place.left + x;
      const LONG top = place.top + y;
      buffer.Fill(RECT{left, top, left + 1, top + 1}, pixel, all);
    }
  }
}

}  // namespace win32compat
