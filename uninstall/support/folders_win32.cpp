#include "uninstall/support/folders.h"

#include <windows.h>

namespace folders {

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateOneFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

std::string SystemWindowsFolder() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string dir(buf, n);
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

}  // namespace folders
