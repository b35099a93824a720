#include "command_line.h"

#include <algorithm>
#include <vector>

namespace Lumarc::Tools {
namespace {

bool IsOption(std::string_view arg) {
  return arg.size() > 1 && arg.front() == '-';
}

CommandLine UsageError(std::string why) {
  CommandLine line;
  line.error = std::move(why);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  auto options_end = std::find(args.begin(), args.end(), "--");
  if (std::any_of(args.begin(), options_end,
                  [](std::string_view a) { return a == "--help" || a == "-h"; })) {
    CommandLine help;
    help.action = CommandLine::Action::kHelp;
    return help;
  }

  CommandLine line;
  std::vector<std::string_view> files;
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (it == options_end) {
      files.insert(files.end(), it + 1, args.end());
      break;
    }
    if (*it == "--verbose") {
      line.verbose = true;
    } else if (*it == "--strict") {
      line.strict = true;
    } else if (IsOption(*it)) {
      return UsageError("unknown option " + std::string(*it));
    } else {
      files.push_back(*it);
    }
  }
  if (files.size() != 2) return UsageError("expected an INPUT and an OUTPUT.bmp file name");
  line.action = CommandLine::Action::kConvert;
  line.input = files[0];
  line.output = files[1];
  return line;
}

std::string HelpText() {
  return std::string(kUsage) +
         "\n\n"
         "Decodes the JPEG (JFIF) file INPUT and writes the picture to OUTPUT.bmp as an\n"
         "uncompressed Windows bitmap: 24 bits per pixel for colour, 8 bits with a grey\n"
         "palette for greyscale.\n"
         "\n"
         "  --verbose  trace every marker segment on standard output while decoding\n"
         "  --strict   require JFIF component numbering (1 for grey; 1, 2, 3 for colour)\n"
         "  --help     show this text\n"
         "\n"
         "Exit status: 0 when OUTPUT.bmp was written; 1 when INPUT could not be decoded or\n"
         "OUTPUT.bmp not written (no new output file is left behind, an existing one is\n"
         "kept as it was); 2 for wrong usage.\n";
}

}  // namespace Lumarc::Tools
