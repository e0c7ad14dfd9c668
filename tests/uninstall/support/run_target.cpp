// A program the tests start: it writes how it was started (working folder,
// window mode, command line) to the file named by SOWELL_RUN_RECORD, waits
// when asked (/sleep=ms) and ends with the code it is given (/exit=n).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  int code = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "/exit=", 6) == 0) code = std::atoi(argv[i] + 6);
    if (std::strncmp(argv[i], "/sleep=", 7) == 0) Sleep(static_cast<DWORD>(std::atoi(argv[i] + 7)));
  }
  char record[MAX_PATH] = {};
  if (GetEnvironmentVariableA("SOWELL_RUN_RECORD", record, sizeof record)) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof cwd, cwd);
    if (FILE* f = std::fopen(record, "ab")) {
      std::fprintf(f, "%s\n%d\n%s\n", cwd, (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1, GetCommandLineA());
      std::fclose(f);
    }
  }
  return code;
}
