#include "uninstall/support/folders.h"

#include <windows.h>

#include "common/win32_handles.h"

namespace folders {

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateOneFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool CanOpenForWriting(const std::string& path) {
  // Asked first, because Wine run by the superuser opens read-only files anyway.
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_READONLY)) return false;
  win32::UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(h);
}

bool RewriteInPlace(const std::string& path, const std::string& bytes) {
  win32::UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD n = 0;
    ok = WriteFile(h.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) && n > 0;
    done += n;
  }
  ok = ok && SetEndOfFile(h.get());
  // The last write can fail only when the handle closes.
  return h.close() && ok;
}

std::string SystemWindowsFolder() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string dir(buf, n);
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

}  // namespace folders
