// Process, module and error state: the part of kernel32 the menu uses, and the program entry.
#pragma once

#include "windef.h"

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_BAD_FORMAT 11
#define ERROR_GEN_FAILURE 31
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_ALREADY_EXISTS 183
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_ELEVATION_REQUIRED 740
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_INVALID_CURSOR_HANDLE 1402
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_INVALID_INDEX 1413
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#define ERROR_NO_ASSOCIATION 1155
#define ERROR_CANCELLED 1223
#define ERROR_NO_SYSTEM_RESOURCES 1450

// Processes (processthreadsapi.h and synchapi.h on Windows).
#define HIGH_PRIORITY_CLASS 0x00000080
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000
#define WAIT_TIMEOUT 0x00000102
#define WAIT_FAILED 0xFFFFFFFF
#define STILL_ACTIVE 0x00000103

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

extern "C" {

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);

// Files (file_api.cpp). FILE_ATTRIBUTE_READONLY is the only attribute kept; any other set of
// attributes makes the file writable again.
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_NORMAL 0x00000080
BOOL WINAPI CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes);

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL WINAPI GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL WINAPI CloseHandle(HANDLE handle);

// The program's entry, defined by the program and called by the startup code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

// From the runtime library (stdlib.h on Windows). The runtime's file functions take host paths
// here, so a program reaches a compiled-in Windows file name through its full path: with a null
// buffer the result is allocated with malloc and released with free.
char* _fullpath(char* buffer, const char* path, std::size_t bufferSize);

}  // extern "C"
