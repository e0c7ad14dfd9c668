#include "setup/run/system_utils.h"

#include <windows.h>

#include <vector>

namespace {

bool Launch(const std::string& commandLine, int showCommand, PROCESS_INFORMATION& pi) {
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi) != FALSE;
}

}  // namespace

std::vector<std::string> ForceFolders(const std::string& folder) {
  std::vector<std::string> created;
  std::string path = folder;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  auto create = [&](const std::string& one) {
    // Only a folder this call made is reported; one that was there stays out.
    if (CreateDirectoryA(one.c_str(), nullptr)) created.push_back(one);
  };
  for (size_t i = 1; i < path.size(); ++i) {
    // Skip the drive ("C:\") and the server and share of a network path.
    if (path[i] == '\\' && path[i - 1] != ':' && path[i - 1] != '\\') create(path.substr(0, i));
  }
  if (!path.empty()) create(path);
  return created;
}

uint32_t ExecuteAndWait(const std::string& commandLine, int showCommand) {
  PROCESS_INFORMATION pi = {};
  if (!Launch(commandLine, showCommand, pi)) return 0;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

bool StartProgram(const std::string& commandLine, int showCommand) {
  PROCESS_INFORMATION pi = {};
  if (!Launch(commandLine, showCommand, pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

std::string ToOemCodePage(const std::string& text) {
  std::string oem(text.size() + 1, '\0');
  CharToOemBuffA(text.c_str(), oem.data(), static_cast<DWORD>(text.size()));
  oem.resize(text.size());
  return oem;
}
