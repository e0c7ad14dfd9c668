#include "common/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

std::function<void(const std::string&)> g_beforeReplaceHook;

std::string TemporaryNameFor(const std::string& path) { return path + ".~tmp"; }

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void AppendFile::Open(const std::string& path) {
  Close();
  path_ = path;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) throw EFCreateError(path);
  handle_ = fd;
}

void AppendFile::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (done <= 0) throw EFCreateError(path_);
    bytes.remove_prefix(static_cast<size_t>(done));
  }
}

void AppendFile::Close() {
  if (handle_ == kClosed) return;
  ::close(static_cast<int>(handle_));
  handle_ = kClosed;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

std::optional<std::string> FullPathName(const std::string& path) {
  if (path.empty()) return std::nullopt;
  if (path.front() == '/') return path;
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) return std::nullopt;
  return std::string(cwd) + "/" + path;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw EFOpenError(path);
  }
  std::string data;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      ::close(fd);
      throw EFOpenError(path);
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const std::string temp = TemporaryNameFor(path);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw EFCreateError(path);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      throw EFCreateError(path);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    ::unlink(temp.c_str());
    throw EFCreateError(path);
  }
  try {
    if (g_beforeReplaceHook) g_beforeReplaceHook(temp);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw EFCreateError(path);
  }
}

}  // namespace fileio
