// The runtime library's fopen as a Windows program meets it. The host's C library opens a
// directory for reading, where Windows' runtime refuses it with EACCES: a folder that carries the
// name of a file the program looks for (a marker, a picture) would otherwise count as that file.
// Programs linked with the layer reach this through the linker's --wrap=fopen (CMakeLists.txt),
// so their own calls of fopen stay as they are written for Windows.
#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

extern "C" {

std::FILE* __real_fopen(const char* path, const char* mode);

std::FILE* __wrap_fopen(const char* path, const char* mode) {
  std::FILE* file = __real_fopen(path, mode);
  if (!file) {
    if (errno == EISDIR) errno = EACCES;  // opening a directory for writing
    return nullptr;
  }
  // Tested on the open file, so that nothing can swap a folder in between.
  struct stat status {};
  if (::fstat(::fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(file);
    errno = EACCES;
    return nullptr;
  }
  return file;
}

}  // extern "C"
