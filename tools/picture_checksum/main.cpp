// picture-checksum: prints the sampled checksum of the disc menu's page pictures, or gives a
// picture the checksum the menu expects of it.
#include <cstdint>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "argument_scan.h"
#include "command_line.h"
#include "picture_checksum.h"
#include "set_checksum.h"

namespace {

using Lumarc::Tools::ChecksumCommand;
using Lumarc::Tools::kFailed;
using Lumarc::Tools::kSucceeded;

void PrintLine(std::int32_t checksum, const std::string& file) {
  std::cout << checksum << "  " << file << '\n';
}

int PrintChecksums(const std::vector<std::string>& files) {
  int status = kSucceeded;
  for (const std::string& file : files) {
    const std::optional<std::int32_t> checksum = PictureChecksum::Compute(file);
    if (checksum) {
      PrintLine(*checksum, file);
    } else {
      std::cerr << "picture-checksum: cannot read " << file << '\n';
      status = kFailed;
    }
  }
  return status;
}

int SetChecksum(std::int32_t value, const std::string& file) {
  try {
    Lumarc::Tools::SetPictureChecksum(file, value);
    PrintLine(value, file);
    return kSucceeded;
  } catch (const std::exception& e) {
    std::cerr << "picture-checksum: " << file << ": " << e.what() << "; file left unchanged\n";
  }
  return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ChecksumCommand command = Lumarc::Tools::ParseChecksumCommand(args);
  switch (command.action) {
    case ChecksumCommand::Action::kHelp:
      std::cout << Lumarc::Tools::ChecksumHelpText();
      return kSucceeded;
    case ChecksumCommand::Action::kUsageError:
      return Lumarc::Tools::ReportWrongUsage("picture-checksum", command.error,
                                             Lumarc::Tools::kChecksumUsage);
    case ChecksumCommand::Action::kPrint:
      return PrintChecksums(command.files);
    case ChecksumCommand::Action::kSet:
      return SetChecksum(command.value, command.files.front());
  }
  return Lumarc::Tools::kWrongUsage;
}
