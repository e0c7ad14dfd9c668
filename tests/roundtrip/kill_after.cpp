// kill_after MS PROGRAM [ARGUMENT...]: starts the program and, when it is
// still running MS milliseconds later, ends it with TerminateProcess, as a
// crash or a power cut would: no handler of the program runs. Prints
// "killed" or "exited N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/win32_handles.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kill_after MS PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  const DWORD ms = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
  std::string command;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) command += ' ';
    command += '"' + std::string(argv[i]) + '"';
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", argv[2], GetLastError());
    return 2;
  }
  win32::ProcessHandles started(pi);
  if (WaitForSingleObject(started.process.get(), ms) == WAIT_TIMEOUT) {
    TerminateProcess(started.process.get(), 99);
    WaitForSingleObject(started.process.get(), INFINITE);
    std::printf("killed\n");
    return 0;
  }
  DWORD code = 0;
  GetExitCodeProcess(started.process.get(), &code);
  std::printf("exited %lu\n", code);
  return 0;
}
