/* A stand-in for the game's login program, built for Windows: writes the command line it was
   started with (UTF-8) and its working folder to alogin-started.txt in its working folder. */
#include <stdio.h>
#include <windows.h>

static void WriteUtf8(FILE* file, const wchar_t* text) {
  char buffer[4096];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  if (length > 0) fputs(buffer, file);
}

int main(void) {
  wchar_t folder[MAX_PATH];
  FILE* file = _wfopen(L"alogin-started.txt", L"wb");
  if (file == NULL) return 1;
  WriteUtf8(file, GetCommandLineW());
  fputs("\n", file);
  if (GetCurrentDirectoryW(MAX_PATH, folder) > 0) WriteUtf8(file, folder);
  fputs("\n", file);
  fclose(file);
  return 0;
}
