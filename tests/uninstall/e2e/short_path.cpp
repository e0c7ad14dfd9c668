// Prints the short (8.3) form of the path given as its argument, as the
// system reports it, so that a test can write a log that spells a folder so.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  char buf[MAX_PATH] = {};
  DWORD n = GetShortPathNameA(argv[1], buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  std::printf("%s\n", buf);
  return 0;
}
