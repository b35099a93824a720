#pragma once

#include <cstdint>
#include <filesystem>

namespace Lumarc::Tools {

// Gives the JFIF file at `path` the sampled checksum `value` with a comment segment (see
// WithChecksumComment), after making sure the image library decodes the rewritten file to the
// same picture as before. The new contents go to a temporary file beside it, which replaces the
// file only when every check has passed. Raises ChecksumRefused, leaving the file as it was,
// when the value cannot be had, the file cannot be read or written, or the library does not
// read the picture.
void SetPictureChecksum(const std::filesystem::path& path, std::int32_t value);

}  // namespace Lumarc::Tools
