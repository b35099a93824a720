#include "command_line.h"

#include <charconv>
#include <utility>

#include "argument_scan.h"

namespace Lumarc::Tools {
namespace {

ChecksumCommand UsageError(std::string why) {
  ChecksumCommand command;
  command.error = std::move(why);
  return command;
}

ChecksumCommand ParseSet(std::span<const std::string_view> operands) {
  if (operands.size() != 2) return UsageError("--set takes a VALUE and one FILE");
  ChecksumCommand command;
  const std::string_view text = operands[0];
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), command.value);
  if (status != std::errc() || end != text.data() + text.size()) {
    return UsageError("VALUE must be a whole number, not " + std::string(text));
  }
  command.action = ChecksumCommand::Action::kSet;
  command.files.emplace_back(operands[1]);
  return command;
}

}  // namespace

ChecksumCommand ParseChecksumCommand(std::span<const std::string_view> args) {
  bool set = false;
  const ScannedArguments scanned =
      ScanArguments(args, [&](std::string_view option, std::size_t operands_before) {
        if (option == "--set" && !set) {
          set = true;
          return OptionUse::kTaken;
        }
        // A negative VALUE right after --set is a number, not an option.
        return set && operands_before == 0 ? OptionUse::kOperand : OptionUse::kUnknown;
      });
  if (scanned.help) {
    ChecksumCommand help;
    help.action = ChecksumCommand::Action::kHelp;
    return help;
  }
  if (!scanned.error.empty()) return UsageError(scanned.error);
  if (set) return ParseSet(scanned.operands);
  if (scanned.operands.empty()) return UsageError("no FILE given");
  ChecksumCommand command;
  command.action = ChecksumCommand::Action::kPrint;
  command.files.assign(scanned.operands.begin(), scanned.operands.end());
  return command;
}

std::string ChecksumHelpText() {
  return std::string(kChecksumUsage) +
         "\n\n"
         "Prints, for each FILE, the sampled checksum that the disc menu computes before it\n"
         "decodes a page picture: twice the sum of the 100 bytes at offsets 8192, 8293, ...\n"
         "18191 (101 bytes apart), each byte past the end of the file counting -1. One line\n"
         "per file: the value, two spaces, the file name.\n"
         "\n"
         "  --set VALUE FILE  rewrite the JPEG (JFIF) file FILE so that its checksum is VALUE,\n"
         "                    by placing a comment segment right after the JFIF header that\n"
         "                    covers every sampled offset (a comment written by an earlier\n"
         "                    --set is replaced). The picture is decoded before and after and\n"
         "                    must come out identical; FILE is replaced only when every check\n"
         "                    has passed; a symbolic link stays a link to it. VALUE must\n"
         "                    be even and from 0 to 50800.\n"
         "  --help            show this text\n"
         "\n"
         "Exit status: 0 on success; 1 when a FILE cannot be read, or --set refuses or fails\n"
         "(FILE is then left as it was); 2 for wrong usage.\n";
}

}  // namespace Lumarc::Tools
