// A program the uninstaller's tests let it start: it appends one line with its
// arguments, its working folder and its window mode to the file named by its
// first argument, then exits with the code given as its second argument, after
// the milliseconds of the optional third.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 99;
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
  if (FILE* f = std::fopen(argv[1], "ab")) {
    std::fprintf(f, "args=");
    for (int i = 2; i < argc; ++i) std::fprintf(f, "%s%s", i > 2 ? " " : "", argv[i]);
    std::fprintf(f, ";folder=%s;show=%d\r\n", folder, show);
    std::fclose(f);
  }
  if (argc > 3) Sleep(static_cast<DWORD>(std::atoi(argv[3])));
  return std::atoi(argv[2]);
}
