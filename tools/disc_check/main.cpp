// disc-check: tells whether a disc folder makes a disc on which the menu works, from the menu's
// own page tables: every page picture present, passing its checksum and decoding, every file a
// hot region starts or opens present, and every name usable by Windows from the disc.
#include <filesystem>
#include <iostream>
#include <string_view>
#include <vector>

#include "disc_checks.h"
#include "menu_files.h"

namespace {

namespace fs = std::filesystem;
using namespace Lumarc::Tools;

enum ExitStatus { kDone = 0, kRefused = 1, kWrongUsage = 2 };

constexpr std::string_view kUsage =
    "usage: disc-check FOLDER\n"
    "       disc-check --list";

constexpr std::string_view kHelp =
    "\n\n"
    "Checks that FOLDER, the root of a disc, holds what the menu needs: every page picture\n"
    "of both layouts, with the checksum the menu expects and decoding to its layout's size;\n"
    "every file a hot region starts or opens; and names that Windows can use from the disc\n"
    "(Joliet names of at most 64 characters, none that Windows refuses, none that differ\n"
    "from another only in case). Names that start with a dot stay off the disc and are not\n"
    "looked at. Prints one line per refusal, the file and the reason, on standard error.\n"
    "\n"
    "  --list  print the files the menu needs: each picture with its checksum and size,\n"
    "          then each file a hot region starts or opens\n"
    "  --help  show this text\n"
    "\n"
    "Exit status: 0 when FOLDER passes, 1 when something is refused, 2 for wrong usage.\n";

void ListMenuFiles() {
  for (const MenuPicture& picture : MenuPictures()) {
    std::cout << picture.file << "  checksum " << picture.checksum << "  " << picture.width
              << " x " << picture.height << '\n';
  }
  for (const MenuTarget& target : MenuTargets()) {
    std::cout << target.file << "  " << target.role << '\n';
  }
}

int CheckDisc(const fs::path& disc) {
  if (!fs::is_directory(disc)) {
    std::cerr << "disc-check: " << disc.string() << ": not a folder\n";
    return kRefused;
  }
  std::vector<Refusal> refusals = CheckPictures(disc);
  for (auto more : {CheckTargets(disc), CheckNames(disc)}) {
    refusals.insert(refusals.end(), more.begin(), more.end());
  }
  for (const Refusal& refusal : refusals) {
    std::cerr << refusal.file.string() << ": " << refusal.reason << '\n';
  }
  return refusals.empty() ? kDone : kRefused;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage << kHelp;
    return kDone;
  }
  if (args.size() == 1 && args[0] == "--list") {
    ListMenuFiles();
    return kDone;
  }
  if (args.size() != 1 || (args[0].starts_with('-') && args[0] != "-")) {
    std::cerr << "disc-check: " << (args.empty() ? "no FOLDER given" : "wrong arguments") << '\n'
              << kUsage << '\n';
    return kWrongUsage;
  }
  return CheckDisc(args[0]);
}
