#include "uninstall/support/folders.h"

#include <sys/stat.h>

namespace folders {

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateOneFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

// There is no Windows folder here; tests name a stand-in.
std::string SystemWindowsFolder() { return "/tmp"; }

}  // namespace folders
