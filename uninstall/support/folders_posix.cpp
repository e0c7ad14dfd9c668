#include "uninstall/support/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace folders {

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateOneFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool CanOpenForWriting(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

bool RewriteInPlace(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
            ftruncate(fileno(f), static_cast<off_t>(bytes.size())) == 0;
  return std::fclose(f) == 0 && ok;
}

// There is no Windows folder here; tests name a stand-in.
std::string SystemWindowsFolder() { return "/tmp"; }

}  // namespace folders
