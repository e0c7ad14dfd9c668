// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("sowell-test-" + std::to_string(Pid()) + "-" + std::to_string(counter++));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The path of a file inside, in the platform's own form.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }

 private:
  static long Pid();
  std::filesystem::path path_;
};

#ifdef _WIN32
#include <process.h>
inline long TempDir::Pid() { return _getpid(); }
#else
#include <unistd.h>
inline long TempDir::Pid() { return static_cast<long>(getpid()); }
#endif
