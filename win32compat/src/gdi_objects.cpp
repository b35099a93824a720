#include "gdi_objects.h"

#include <array>

namespace win32compat {
namespace {

// Indexed by the stock object number; NULL_BRUSH paints nothing.
constexpr std::array<std::optional<COLORREF>, 6> kStockBrushColours = {
    RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
    RGB(64, 64, 64),    RGB(0, 0, 0),       std::nullopt,
};

}  // namespace

HGDIOBJ GdiObjects::Stock(int object) {
  if (object < 0 || object >= static_cast<int>(kStockBrushColours.size())) return nullptr;
  HGDIOBJ& handle = stock_[object];
  if (!handle) handle = handles_.Next<HGDIOBJ>();
  return handle;
}

std::optional<COLORREF> GdiObjects::BrushColour(HBRUSH brush) const {
  for (const auto& [object, handle] : stock_) {
    if (handle == brush) return kStockBrushColours[static_cast<std::size_t>(object)];
  }
  return std::nullopt;
}

HDC GdiObjects::OpenPaintDc(HWND window, const RECT& area) {
  const HDC dc = handles_.Next<HDC>();
  paint_dcs_[dc] = PaintDc{window, area, false};
  return dc;
}

GdiObjects::PaintDc* GdiObjects::FindPaintDc(HDC dc) {
  const auto found = paint_dcs_.find(dc);
  return found == paint_dcs_.end() ? nullptr : &found->second;
}

}  // namespace win32compat
