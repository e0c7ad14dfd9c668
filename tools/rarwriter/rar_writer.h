// Writes stored (uncompressed) archives in format 4 or 5, optionally split
// into volumes: the packages of the example distribution and test input.
// Data that the archiver already packed may be carried over as it is, so
// that tests can lay out compressed members as they need them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rarwriter {

// A member's data as the archiver packed it, with what its header must say.
struct Packed {
  std::string bytes;
  uint64_t unp_size = 0;
  uint32_t crc = 0;       // of the unpacked data
  unsigned version = 29;  // unpack version: 15 .. 36 in format 4; 50 or 70 in format 5
  unsigned method = 3;    // 1 fastest .. 5 best
  // log2 of the dictionary over its smallest size (64 KiB in format 4, 128 KiB in format 5).
  unsigned dictionary_bits = 0;
  bool solid = false;     // goes on from the member before
};

struct Entry {
  std::string name;  // UTF-8, components separated by '/'
  bool is_dir = false;
  std::string data;
  int64_t mtime = 0;        // seconds since 1970, UTC
  uint32_t attributes = 0;  // Windows attributes; 0 gives the usual ones
  bool is_link = false;     // a symbolic link; `data` is its target
  std::optional<Packed> packed = std::nullopt;  // when set, `data` is not used
};

struct Options {
  int format = 4;             // 4 or 5
  uint64_t volume_size = 0;   // 0: one volume
  bool old_volume_names = false;  // format 4: name.rar, name.r00, name.r01 ...
  bool oem_names = false;     // format 4: names only in code page 866, no Unicode form
  std::string comment;        // stored as the archive comment when not empty
  bool blake2 = false;        // format 5: each file part carries a BLAKE2sp hash too
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
