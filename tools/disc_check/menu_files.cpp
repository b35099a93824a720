#include "menu_files.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "page_tables.h"

namespace Lumarc::Tools {
namespace {

const LayoutSpec* const kLayouts[] = {&kLargeLayout, &kSmallLayout};

template <typename Visit>
void ForEachPage(const LayoutSpec& layout, Visit visit) {
  for (const PageSpec& page : layout.fixed_pages) visit(page);
  visit(layout.help_page.help);
  visit(layout.help_page.restore);
}

// The program of a command line: its first word, or the quoted text that opens it.
std::string ProgramOf(std::string_view command_line) {
  std::string_view program;
  if (command_line.starts_with('"')) {
    program = command_line.substr(1, command_line.find('"', 1) - 1);
  } else {
    program = command_line.substr(0, command_line.find_first_of(" \t"));
  }
  std::string file(program);
  const std::size_t name_start = file.find_last_of('\\') + 1;
  if (file.find('.', name_start) == std::string::npos) file += ".exe";
  return file;
}

std::optional<MenuTarget> TargetOf(const RegionSpec& region) {
  switch (region.action) {
    case ActionCode::OpenDocument:
      return MenuTarget{region.command, "a document the menu opens"};
    case ActionCode::RunCommandLine:
      return MenuTarget{ProgramOf(region.command), "a program the menu starts"};
    case ActionCode::RunProgramThenNext:
      return MenuTarget{region.command, "a program the menu starts"};
    default:
      return std::nullopt;
  }
}

}  // namespace

std::vector<MenuPicture> MenuPictures() {
  std::vector<MenuPicture> pictures;
  for (const LayoutSpec* layout : kLayouts) {
    ForEachPage(*layout, [&](const PageSpec& page) {
      pictures.push_back({page.picture.file, page.picture.checksum, layout->picture_width,
                          layout->picture_height});
    });
  }
  return pictures;
}

std::vector<MenuTarget> MenuTargets() {
  std::vector<MenuTarget> targets;
  for (const LayoutSpec* layout : kLayouts) {
    ForEachPage(*layout, [&](const PageSpec& page) {
      for (const RegionSpec& region : page.regions) {
        const std::optional<MenuTarget> target = TargetOf(region);
        const auto same_file = [&](const MenuTarget& t) { return t.file == target->file; };
        if (target && std::none_of(targets.begin(), targets.end(), same_file)) {
          targets.push_back(*target);
        }
      }
    });
  }
  return targets;
}

}  // namespace Lumarc::Tools
