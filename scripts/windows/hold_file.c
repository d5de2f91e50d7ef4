/* Holds a file open without sharing it, as a running game or a virus scanner may, for the
   Windows end-to-end run: hold_file.exe PATH SECONDS [read]. With "read", others may still read
   it (but not replace or delete it). Prints "held" once the file is open. */
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 2;
  DWORD share = argc == 4 && wcscmp(argv[3], L"read") == 0 ? FILE_SHARE_READ : 0;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  puts("held");
  fflush(stdout);
  Sleep((DWORD)_wtoi(argv[2]) * 1000);
  CloseHandle(file);
  return 0;
}
