#pragma once

#include <cstdint>
#include <filesystem>

namespace Lumarc::Tools {

// Gives the JFIF file at `path` the sampled checksum `value` with a comment segment (see
// WithChecksumComment), after making sure the image library decodes the rewritten file to the
// same picture as before. The new contents go to a temporary file beside it, which replaces the
// file only when every check has passed (see ReplaceFile); through a symbolic link, the file it
// names. Leaves the file as it was and raises ChecksumRefused when the value cannot be had, the
// path names no regular file (a folder, a device, a FIFO), the file cannot be read or the
// library does not read the picture, or std::runtime_error when the new contents cannot be
// written.
void SetPictureChecksum(const std::filesystem::path& path, std::int32_t value);

}  // namespace Lumarc::Tools
