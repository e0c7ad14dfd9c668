#include "setup/run/system_utils.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "common/process.h"

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

namespace {

// A program of [RunApp] gets a console of its own, as a command would.
std::optional<win32::ProcessHandles> Launch(const std::string& commandLine, int showCommand) {
  return process::Start(commandLine, {showCommand, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, {}});
}

}  // namespace

uint32_t ExecuteAndWait(const std::string& commandLine, int showCommand) {
  std::optional<win32::ProcessHandles> started = Launch(commandLine, showCommand);
  if (!started) return 0;
  WaitForSingleObject(started->process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(started->process.get(), &code);
  return code;
}

bool StartProgram(const std::string& commandLine, int showCommand) {
  return Launch(commandLine, showCommand).has_value();
}

std::string ToOemCodePage(const std::string& text) {
  std::string oem(text.size() + 1, '\0');
  CharToOemBuffA(text.c_str(), oem.data(), static_cast<DWORD>(text.size()));
  oem.resize(text.size());
  return oem;
}
