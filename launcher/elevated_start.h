// On every Windows with UAC, a program that asks for administrator rights (through its manifest,
// or Windows' installer detection for a setup program without one) is refused by CreateProcessA
// with ERROR_ELEVATION_REQUIRED. The shell starts it instead, once the user consents.
#pragma once

#include <windows.h>

#include <string>

// Windows' value; mingw-w64's winerror.h does not name it.
#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740
#endif

// A command line's program, by CreateProcessA's rule (up to the closing quote when it starts
// with one, else up to the first blank), and the rest as it stands, for the shell's parameters.
struct ProgramAndParameters {
  std::string program;
  std::string parameters;
};
ProgramAndParameters SplitProgramFromParameters(const std::string& command_line);

// Starts the program through the shell's "open" with `directory` as its directory. The consent
// prompt is owned by `owner`, so that it comes to the front rather than wait in the task bar.
// Returns the process handle to wait for (the caller closes it), or null when the program did
// not start (the user declined, say) or the shell gave no handle.
HANDLE StartElevated(HWND owner, const ProgramAndParameters& command, const std::string& directory);
