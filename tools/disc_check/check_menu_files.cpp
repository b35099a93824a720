#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "disc_checks.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "menu_files.h"
#include "picture_checksum.h"
#include "windows_names.h"

namespace Lumarc::Tools {
namespace {

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Where a file the menu names (with backslashes) lies in the folder, for messages about it.
std::filesystem::path InFolder(const std::filesystem::path& disc, std::string file) {
  std::replace(file.begin(), file.end(), '\\', '/');
  return disc / file;
}

std::optional<std::string> ChecksumProblem(const std::filesystem::path& file,
                                           const MenuPicture& picture) {
  const std::optional<std::int32_t> checksum = PictureChecksum::Compute(file.string());
  if (!checksum) return "the file cannot be read";
  if (*checksum == picture.checksum) return std::nullopt;
  return "its checksum is " + std::to_string(*checksum) + " but the menu expects " +
         std::to_string(picture.checksum) + " and would show \"Checksum Error\"; after changing " +
         "a picture, stamp it with: picture-checksum --set " + std::to_string(picture.checksum) +
         " " + file.string();
}

std::optional<std::string> DecodeProblem(const std::filesystem::path& file,
                                         const MenuPicture& picture) {
  JpegDecoder decoder;
  BitmapImage image;
  try {
    decoder.ReadImageFile(file.string(), image);
  } catch (const std::exception& e) {
    return std::string("the image library cannot decode it: ") + e.what();
  }
  if (image.Width() != static_cast<std::uint32_t>(picture.width) ||
      image.Height() != static_cast<std::uint32_t>(picture.height)) {
    return "it is " + Size(image.Width(), image.Height()) + " pixels, but its layout shows " +
           Size(picture.width, picture.height);
  }
  return std::nullopt;
}

}  // namespace

std::vector<Refusal> CheckPictures(const std::filesystem::path& disc) {
  std::vector<Refusal> refusals;
  for (const MenuPicture& picture : MenuPictures()) {
    const std::optional<std::filesystem::path> file = FindOnDisc(disc, picture.file);
    if (!file || !std::filesystem::is_regular_file(*file)) {
      refusals.push_back({InFolder(disc, picture.file), "missing: a page picture of the " +
                                                   Size(picture.width, picture.height) +
                                                   " layout"});
      continue;
    }
    for (const auto& problem : {ChecksumProblem(*file, picture), DecodeProblem(*file, picture)}) {
      if (problem) refusals.push_back({*file, *problem});
    }
  }
  return refusals;
}

std::vector<Refusal> CheckTargets(const std::filesystem::path& disc) {
  std::vector<Refusal> refusals;
  for (const MenuTarget& target : MenuTargets()) {
    const std::optional<std::filesystem::path> file = FindOnDisc(disc, target.file);
    if (!file || !std::filesystem::is_regular_file(*file)) {
      refusals.push_back({InFolder(disc, target.file), "missing: " + target.role});
    }
  }
  return refusals;
}

}  // namespace Lumarc::Tools
