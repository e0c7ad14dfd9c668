// The file system as the author's tools use it: every path in UTF-8, on
// Linux as it stands and on Windows through the system's UTF-16 calls, so
// that package folders keep every name they hold. One implementation per
// platform (author_fs_posix.cpp, author_fs_win32.cpp), and what they share
// in author_fs_stdio.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "unrar/byte_source.h"

namespace authorfs {

std::optional<std::string> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, std::string_view bytes);
bool CopyBytes(const std::string& from, const std::string& to);
bool IsFile(const std::string& path);
bool IsDir(const std::string& path);
std::optional<uint64_t> FileSize(const std::string& path);
// Seconds since 1970 (UTC); 0 when unknown.
int64_t ModTime(const std::string& path);
// Creates the folder and the folders above it; true when it exists afterwards.
bool MakeDirs(const std::string& path);

struct DirEntry {
  std::string name;
  bool isDir = false;
};
// The folder's entries without "." and "..", in no particular order; a link
// to a folder does not count as a folder.
std::vector<DirEntry> List(const std::string& dir);

// a + separator + b; b as it is when a is empty.
std::string Join(const std::string& a, const std::string& b);

// The path in the form the narrow file calls of the setup program's own
// units take (the ANSI code page on Windows).
std::string NarrowPath(const std::string& path);

// The folder of the running program.
std::string ProgramFolder();

// Standard output and error take UTF-8.
void PrepareConsole();

// The program's arguments in UTF-8 (Windows hands the narrow main its
// arguments in the ANSI code page).
std::vector<std::string> Arguments(int argc, char** argv);

// Reads archive volumes through the calls above.
class VolumeOpener : public rar::VolumeOpener {
 public:
  std::unique_ptr<rar::ByteSource> Open(const std::string& name) override;
};

}  // namespace authorfs
