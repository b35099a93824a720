#include "runtime_file.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

std::string RuntimeFilePath(const char* file_name) {
  // With a null buffer _fullpath allocates the result, which free releases.
  const std::unique_ptr<char, decltype(&std::free)> full(_fullpath(nullptr, file_name, 0),
                                                         &std::free);
  return full ? std::string(full.get()) : std::string(file_name);
}

bool CanOpenForReading(const char* file_name) {
  std::FILE* file = std::fopen(RuntimeFilePath(file_name).c_str(), "r");
  if (!file) return false;
  std::fclose(file);
  return true;
}
