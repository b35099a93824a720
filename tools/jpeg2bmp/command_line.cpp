#include "command_line.h"

#include "argument_scan.h"

namespace Lumarc::Tools {
namespace {

CommandLine UsageError(std::string why) {
  CommandLine line;
  line.error = std::move(why);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CommandLine line;
  const ScannedArguments scanned = ScanArguments(args, [&](std::string_view option, std::size_t) {
    if (option == "--verbose") {
      line.verbose = true;
    } else if (option == "--strict") {
      line.strict = true;
    } else {
      return OptionUse::kUnknown;
    }
    return OptionUse::kTaken;
  });
  if (scanned.help) {
    CommandLine help;
    help.action = CommandLine::Action::kHelp;
    return help;
  }
  if (!scanned.error.empty()) return UsageError(scanned.error);
  if (scanned.operands.size() != 2) {
    return UsageError("expected an INPUT and an OUTPUT.bmp file name");
  }
  line.action = CommandLine::Action::kConvert;
  line.input = scanned.operands[0];
  line.output = scanned.operands[1];
  return line;
}

std::string HelpText() {
  return std::string(kUsage) +
         "\n\n"
         "Decodes the JPEG (JFIF) file INPUT and writes the picture to OUTPUT.bmp as an\n"
         "uncompressed Windows bitmap: 24 bits per pixel for colour, 8 bits with a grey\n"
         "palette for greyscale. INPUT - reads standard input; OUTPUT.bmp - writes standard\n"
         "output, once the whole picture has been decoded (the --verbose trace then goes to\n"
         "standard error). Name a file called - as ./-.\n"
         "\n"
         "  --verbose  trace every marker segment on standard output while decoding\n"
         "  --strict   require JFIF component numbering (1 for grey; 1, 2, 3 for colour)\n"
         "  --help     show this text\n"
         "\n"
         "Exit status: 0 when OUTPUT.bmp was written; 1 when INPUT could not be decoded or\n"
         "OUTPUT.bmp not written (no new output file is left behind, an existing one is\n"
         "kept as it was, and nothing is written to standard output); 2 for wrong usage.\n";
}

}  // namespace Lumarc::Tools
