#include "argument_scan.h"

#include <algorithm>
#include <iostream>

namespace Lumarc::Tools {
namespace {

bool IsOption(std::string_view arg) {
  return arg.size() > 1 && arg.front() == '-';
}

}  // namespace

ScannedArguments ScanArguments(
    std::span<const std::string_view> args,
    const std::function<OptionUse(std::string_view, std::size_t)>& take_option) {
  ScannedArguments scanned;
  const auto options_end = std::find(args.begin(), args.end(), "--");
  scanned.help = std::any_of(args.begin(), options_end,
                             [](std::string_view a) { return a == "--help" || a == "-h"; });
  if (scanned.help) return scanned;

  for (auto it = args.begin(); it != args.end(); ++it) {
    if (it == options_end) {
      scanned.operands.insert(scanned.operands.end(), it + 1, args.end());
      break;
    }
    const OptionUse use =
        IsOption(*it) ? take_option(*it, scanned.operands.size()) : OptionUse::kOperand;
    if (use == OptionUse::kUnknown) {
      scanned.error = "unknown option " + std::string(*it);
      return scanned;
    }
    if (use == OptionUse::kOperand) scanned.operands.push_back(*it);
  }
  return scanned;
}

int ReportWrongUsage(std::string_view tool, std::string_view error, std::string_view usage) {
  std::cerr << tool << ": " << error << '\n' << usage << '\n';
  return kWrongUsage;
}

}  // namespace Lumarc::Tools
