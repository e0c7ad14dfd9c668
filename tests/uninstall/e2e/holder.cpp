// Keeps a file open without sharing until a second file appears (or a minute
// has passed), so that deleting it fails as for a program still running.
#include <windows.h>

#include "common/win32_handles.h"

int main(int argc, char** argv) {
  if (argc < 3) return 99;
  win32::UniqueFile h(CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return 1;
  for (int i = 0; i < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  return 0;
}
