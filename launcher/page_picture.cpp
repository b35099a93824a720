// The page's picture: loading a picture file of the disc and painting it into the main window.
//
// Pending: the checksum test and decoding (LoadPicture) and the drawing of the decoded picture
// (the middle of PaintPage) arrive with the picture step. Until then pages show the black class
// background. PaintPage already begins and ends the paint, which validates the window: without
// that, Windows would send WM_PAINT again for ever.
#include "menu_page.h"

void MenuPage::LoadPicture(const char*, std::int32_t) {}

void MenuPage::PaintPage(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
}
