// The GUI test driver: uses a program's windows as a person would. It reads a
// script (UTF-8, one command a line, "#" starts a comment, arguments may be
// "quoted") and stops at the first failing step with a message and exit code 1.
//
//   start "C:\path\prog.exe" ["arguments"]   start a program (the one the commands below watch)
//   wait-window "caption" [ms]                wait for a visible top-level window; it becomes current
//   no-window "caption" [ms]                  fail if such a window appears within ms
//   close                                     ask the current window to close (as its close box does)
//   wait-exit [ms] [code]                     wait for the started program to end, check its exit code
//   sleep ms
//
// Further commands are described at their handlers below.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/driver/driver_script.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_driver SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "driver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  return RunDriverScript(text.str());
}
