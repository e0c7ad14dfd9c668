#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/author/author_fs.h"
#include "tools/author/author_fs_stdio.h"

namespace authorfs {

namespace stdio {

std::FILE* Open(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool Seek(std::FILE* f, uint64_t offset) { return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0; }

std::optional<uint64_t> Length(std::FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return std::nullopt;
  const off_t size = ftello(f);
  if (size < 0) return std::nullopt;
  return static_cast<uint64_t>(size);
}

}  // namespace stdio

bool CopyBytes(const std::string& from, const std::string& to) {
  std::optional<std::string> bytes = ReadBytes(from);
  return bytes && WriteBytes(to, *bytes);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDir(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

int64_t ModTime(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : 0;
}

bool MakeDirs(const std::string& path) {
  if (path.empty() || IsDir(path)) return true;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsDir(path));
}

std::vector<DirEntry> List(const std::string& dir) {
  std::vector<DirEntry> entries;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return entries;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    // A link is not followed into a folder: one pointing above itself would never end.
    struct stat st {};
    const bool isDir = ::lstat(Join(dir, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries.push_back({name, isDir});
  }
  ::closedir(d);
  return entries;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  return a.back() == '/' ? a + b : a + "/" + b;
}

std::string NarrowPath(const std::string& path) { return path; }

std::string ProgramFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

void PrepareConsole() {}

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

}  // namespace authorfs
