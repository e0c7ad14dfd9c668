// Whole-file reads and crash-safe whole-file replacement. The only file access
// of the portable units; one implementation per platform.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

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

// The temporary file ReplaceFileContents writes before the rename.
std::string TemporaryNameFor(const std::string& path);

// Called between the flushed temporary file and the rename; tests use it to
// simulate a failure at the worst moment. Empty in the programs.
extern std::function<void(const std::string& tempPath)> g_beforeReplaceHook;

}  // namespace fileio
