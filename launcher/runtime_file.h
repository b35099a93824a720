// Files that the program opens with the runtime library rather than through Win32: the marker
// file here, the page pictures later.
#pragma once

#include <string>

// The path under which the runtime library finds a compiled-in file name: the full path of the
// name (_fullpath). On Windows that is the same file the name itself opens; under the Win32
// layer of other hosts, the host file the name stands for. The name itself when there is none.
std::string RuntimeFilePath(const char* file_name);

// True when the file can be opened for reading as text (mode "r"); it is closed at once.
bool CanOpenForReading(const char* file_name);
