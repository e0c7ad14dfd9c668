#include "common/process.h"

#include <vector>

namespace process {

std::string ProgramFilePath() {
  // Paths may be longer than MAX_PATH; the buffer grows until the name fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::optional<win32::ProcessHandles> Start(const std::string& commandLine, const StartInfo& info) {
  // CreateProcessA may write into the command line.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(info.showCommand);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, info.creationFlags, nullptr,
                      info.folder.empty() ? nullptr : info.folder.c_str(), &si, &pi)) {
    return std::nullopt;
  }
  return win32::ProcessHandles(pi);
}

}  // namespace process
