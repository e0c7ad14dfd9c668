// Extraction onto a POSIX file system: the library's core runs natively under
// the sanitizers and the fuzzer with this.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "unrar/output_fs.h"

namespace rar {
namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kUnixEpochSeconds = 11'644'473'600ull;

bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class PosixFile : public OutputFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { Close(); }
  bool Write(const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Close() override {
    if (fd_ < 0) return true;
    int r = ::close(fd_);
    fd_ = -1;
    return r == 0;
  }

 private:
  int fd_;
};

class PosixOutput : public OutputFs {
 public:
  char Separator() const override { return '/'; }
  bool MakeDirs(const std::string& path) override {
    for (size_t i = 1; i <= path.size(); ++i) {
      if (i < path.size() && path[i] != '/') continue;
      std::string prefix = path.substr(0, i);
      if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return IsDir(path);
  }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
  }
  void Remove(const std::string& path) override { ::unlink(path.c_str()); }
  bool CopyExtracted(const std::string& from, const std::string& to) override {
    int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW);
    if (in < 0) return false;
    auto out = Create(to);
    bool ok = out != nullptr;
    char buffer[65536];
    for (ssize_t n; ok && (n = ::read(in, buffer, sizeof buffer)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      ok = out->Write(buffer, static_cast<size_t>(n));
    }
    ::close(in);
    if (out && !out->Close()) ok = false;
    if (!ok) Remove(to);
    return ok;
  }
  void Finish(const std::string& path, const Member& m, bool) override {
    if (!m.mtime.present || m.mtime.ticks < kUnixEpochSeconds * kTicksPerSecond) return;
    const uint64_t since1970 = m.mtime.ticks - kUnixEpochSeconds * kTicksPerSecond;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(since1970 / kTicksPerSecond);
    times[1].tv_nsec = static_cast<long>(since1970 % kTicksPerSecond) * 100;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  }
};

}  // namespace

std::unique_ptr<OutputFs> MakeLocalOutput() { return std::make_unique<PosixOutput>(); }

}  // namespace rar
