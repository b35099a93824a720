// The shell's opening of documents and folders (shell32): the part the menu uses.
#pragma once

#include "windef.h"

#define SEE_MASK_NOCLOSEPROCESS 0x00000040

// ShellExecuteA's failures, returned in place of an instance handle (values of 32 and less).
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

DECLARE_HANDLE(HKEY);

typedef struct _SHELLEXECUTEINFOA {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpFile;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  union {
    HANDLE hIcon;
    HANDLE hMonitor;
  };
  HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

extern "C" {

BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* info);
HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand);

}  // extern "C"
