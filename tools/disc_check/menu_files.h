#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Lumarc::Tools {

// A page picture that the menu of one layout shows, as its page tables name it.
struct MenuPicture {
  std::string file;  // relative to the disc's root, with the menu's backslashes
  std::int32_t checksum;
  std::int32_t width;
  std::int32_t height;
};

// A file that a hot region starts or opens.
struct MenuTarget {
  std::string file;  // relative to the disc's root, with the menu's backslashes
  std::string role;  // what the region does with it, for messages
};

// Every picture of both layouts (the help page's Help and Restore pictures included), in table
// order, read from the menu's own page tables.
std::vector<MenuPicture> MenuPictures();

// The files the hot regions of both layouts start or open, each once. A command line counts by
// its program, which gets ".exe" when it names none, as the system's search for it does.
std::vector<MenuTarget> MenuTargets();

}  // namespace Lumarc::Tools
