#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What stops a disc folder from making a working disc: each refusal names one file and why.
namespace Lumarc::Tools {

struct Refusal {
  std::filesystem::path file;
  std::string reason;
};

// Every page picture of both layouts: present, with the checksum the menu expects, decoding
// with the image library to its layout's size.
std::vector<Refusal> CheckPictures(const std::filesystem::path& disc);

// Every file a hot region starts or opens is present.
std::vector<Refusal> CheckTargets(const std::filesystem::path& disc);

// Every name in the folder as Windows will see it on the disc, and only files and folders.
// Names that start with a dot stay off the disc and are not looked at.
std::vector<Refusal> CheckNames(const std::filesystem::path& disc);

// True for the names that stay off the disc: version control's and desktops' hidden files.
bool LeftOffTheDisc(const std::filesystem::path& name);

}  // namespace Lumarc::Tools
