#pragma once

#include <cstdint>
#include <vector>

namespace Lumarc::Tools {

// Every byte of standard input, read as binary; raises std::runtime_error when reading fails.
std::vector<std::uint8_t> ReadStandardInput();

// Makes std::cout carry bytes unchanged (on Windows it would turn each 0x0A into 0x0D 0x0A).
void SetStandardOutputBinary();

}  // namespace Lumarc::Tools
