// Writes stored (uncompressed) archives in format 4 or 5, optionally split
// into volumes: the packages of the example distribution and test input.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rarwriter {

struct Entry {
  std::string name;  // UTF-8, components separated by '/'
  bool is_dir = false;
  std::string data;
  int64_t mtime = 0;        // seconds since 1970, UTC
  uint32_t attributes = 0;  // Windows attributes; 0 gives the usual ones
  bool is_link = false;     // a symbolic link; `data` is its target
};

struct Options {
  int format = 4;             // 4 or 5
  uint64_t volume_size = 0;   // 0: one volume
  bool old_volume_names = false;  // format 4: name.rar, name.r00, name.r01 ...
  bool oem_names = false;     // format 4: names only in code page 866, no Unicode form
  std::string comment;        // stored as the archive comment when not empty
};

struct Volume {
  std::string name;
  std::string bytes;
};

// base_name is the name of a single-volume archive ("pkg.rar"); volume
// names are derived from it ("pkg.part1.rar" or "pkg.r00").
std::vector<Volume> Write(const std::string& base_name, const std::vector<Entry>& entries,
                          const Options& options);

}  // namespace rarwriter
