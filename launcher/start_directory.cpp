#include "start_directory.h"

char* StartDirectoryBuffer() {
  static char buffer[kStartDirectoryBufferSize] = {};
  return buffer;
}
