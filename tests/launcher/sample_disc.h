// The sample disc of the repository, copied into a test's start directory, and what a page of it
// should look like on screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "lumarc/bitmap_image.h"
#include "win32compat/test_desktop.h"

// Copies every file of the sample disc into `start_directory`.
void CopySampleDisc(const std::filesystem::path& start_directory);

// The host file a Windows file name stands for on the current desktop (c:\... included).
std::filesystem::path HostFile(const char* windows_name);

// A picture of the sample disc ("brivant/4.dat"), decoded by the image library.
void DecodeSampleDiscPicture(const std::string& relative_path, Lumarc::BitmapImage& picture);

// The colour of a picture's pixel (x, y), counted from its top-left corner.
COLORREF PicturePixel(const Lumarc::BitmapImage& picture, std::uint32_t x, std::uint32_t y);

// The number of client pixels of `window` that differ from `picture` cut to the client area,
// or -1 when the window has no client area. A null picture counts every pixel that is not black.
long ClientPixelsDifferingFrom(const win32compat::TestDesktop& desktop, HWND window,
                               const Lumarc::BitmapImage* picture);
