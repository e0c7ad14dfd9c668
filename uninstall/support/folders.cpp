#include "uninstall/support/folders.h"

namespace folders {

std::string g_windowsFolderOverride;

std::string WindowsFolder() {
  return g_windowsFolderOverride.empty() ? SystemWindowsFolder() : g_windowsFolderOverride;
}

std::string ParentOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  if (cut == std::string::npos) return std::string();
  // Keep the separator of a root ("C:\", "/") so that it stays a root.
  if (cut == 0 || path[cut] == ':' || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

void ForceFolders(const std::string& path) {
  if (path.empty()) return;
  std::string p = path;
  if (p.back() == '\\' || (p.size() > 1 && p.back() == '/')) p.pop_back();
  if (p.size() <= 2 || FolderExists(p)) return;
  std::string parent = ParentOf(p);
  if (!parent.empty() && parent != p) ForceFolders(parent);
  CreateOneFolder(p);
}

}  // namespace folders
