#include "command_line.h"

#include <charconv>
#include <optional>

#include "argument_scan.h"

namespace Lumarc::Tools {
namespace {

CommandLine UsageError(std::string why) {
  CommandLine line;
  line.error = std::move(why);
  return line;
}

// A whole decimal number from 1 up, or nothing.
std::optional<unsigned> ThreadCount(std::string_view text) {
  unsigned count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc{} || end != text.data() + text.size() || count == 0) return std::nullopt;
  return count;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CommandLine line;
  // --threads takes the operand that follows it as its value.
  std::optional<std::size_t> threads_value_at;
  ScannedArguments scanned = ScanArguments(args, [&](std::string_view option, std::size_t before) {
    if (option == "--verbose") {
      line.verbose = true;
    } else if (option == "--strict") {
      line.strict = true;
    } else if (option == "--threads") {
      threads_value_at = before;
    } else if (threads_value_at == before) {
      return OptionUse::kOperand;  // --threads -1: a wrong count, not an unknown option
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
  if (threads_value_at) {
    const auto value = scanned.operands.begin() + static_cast<std::ptrdiff_t>(*threads_value_at);
    const std::optional<unsigned> count =
        value < scanned.operands.end() ? ThreadCount(*value) : std::nullopt;
    if (!count) {
      const std::string given = value < scanned.operands.end() ? ", not " + std::string(*value) : "";
      return UsageError("--threads needs a number of threads, 1 or more" + given);
    }
    line.threads = *count;
    scanned.operands.erase(value);
  }
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
         "An OUTPUT.bmp file is replaced whole once the new one is complete, keeping its\n"
         "permissions; through a symbolic link, the file it names is replaced. A character\n"
         "device or a FIFO is written directly; a folder, a block device or a socket is\n"
         "refused. An interruption (Ctrl+C, SIGTERM, SIGHUP) leaves no partial file.\n"
         "\n"
         "  --verbose  trace every marker segment on standard output while decoding\n"
         "  --strict   require JFIF component numbering (1 for grey; 1, 2, 3 for colour)\n"
         "  --threads N  with 2 or more, a second thread shares pictures of a megapixel or\n"
         "             more, reconstructing rows and decoding a progressive picture's last\n"
         "             scans while the first decodes the next ones (default 1)\n"
         "  --help     show this text\n"
         "\n"
         "Exit status: 0 when OUTPUT.bmp was written; 1 when INPUT could not be decoded or\n"
         "OUTPUT.bmp not written (no new output file is left behind, an existing one is\n"
         "kept as it was, and nothing is written to standard output); 2 for wrong usage.\n";
}

}  // namespace Lumarc::Tools
