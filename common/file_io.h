// Whole-file reads and crash-safe whole-file replacement. The only file access
// of the portable units; one implementation per platform.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <cstdint>
#include <string>
#include <string_view>

// A file that exists but cannot be read ("Cannot open file %s").
class EFOpenError : public std::runtime_error {
 public:
  explicit EFOpenError(const std::string& path)
      : std::runtime_error("Cannot open file " + path) {}
};

// A file that cannot be written ("Cannot create file %s").
class EFCreateError : public std::runtime_error {
 public:
  explicit EFCreateError(const std::string& path)
      : std::runtime_error("Cannot create file " + path) {}
};

namespace fileio {

// The file's bytes, or nothing when no file of that name exists.
// Throws EFOpenError when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

bool FileExists(const std::string& path);

// The full form of a path, as the system resolves a relative one against the
// current folder; nothing when it cannot.
std::optional<std::string> FullPathName(const std::string& path);

// Replaces the file's contents so that a crash or power loss at any moment
// leaves either the old or the new contents, never a mix or nothing: the bytes
// go to a temporary file in the same folder, are flushed, and the temporary
// file then takes the old one's place in a single rename.
// Throws EFCreateError when the file cannot be written.
void ReplaceFileContents(const std::string& path, const std::string& bytes);

// A file that grows by appended writes. Each write reaches the system before
// Append returns, so it survives the program being killed; it is not flushed
// to the disk, which a power loss may therefore leave cut short.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile() { Close(); }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens (creating when missing) for appending; throws EFCreateError.
  void Open(const std::string& path);
  bool IsOpen() const { return handle_ != kClosed; }
  // Throws EFCreateError when the bytes cannot all be written.
  void Append(std::string_view bytes);
  void Close();

 private:
  static constexpr intptr_t kClosed = -1;
  std::string path_;
  intptr_t handle_ = kClosed;
};

// Deletes a file; true when it is gone (or was never there).
bool RemoveFile(const std::string& path);

// The temporary file ReplaceFileContents writes before the rename.
std::string TemporaryNameFor(const std::string& path);

// Called between the flushed temporary file and the rename; tests use it to
// simulate a failure at the worst moment. Empty in the programs.
extern std::function<void(const std::string& tempPath)> g_beforeReplaceHook;

}  // namespace fileio
