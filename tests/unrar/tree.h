// A folder's contents as one comparable value, and archive volumes on disk.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/unrar/sha256.h"
#include "tools/rarwriter/rar_writer.h"

// Russian text in UTF-8 whatever the compiler's execution character set.
inline std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// Content is kept as its size and digest, so that a failure stays readable.
inline std::string Digest(const std::string& data) {
  return std::to_string(data.size()) + ":" + Sha256Hex(data);
}

inline std::map<std::string, std::string> ReadTree(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::u8string rel = std::filesystem::relative(e.path(), root).generic_u8string();
    std::string key(rel.begin(), rel.end());
    if (e.is_directory()) {
      tree[key] = "<dir>";
      continue;
    }
    std::ifstream in(e.path(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    tree[key] = Digest(ss.str());
  }
  return tree;
}

inline std::map<std::string, std::string> TreeOf(const std::vector<rarwriter::Entry>& entries) {
  std::map<std::string, std::string> tree;
  for (const auto& e : entries) tree[e.name] = e.is_dir ? "<dir>" : Digest(e.data);
  return tree;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Writes the volumes into dir; returns the path of the first.
inline std::string SaveVolumes(const std::vector<rarwriter::Volume>& volumes, const std::string& dir) {
  for (const auto& v : volumes) {
    std::ofstream out(dir + "/" + v.name, std::ios::binary | std::ios::trunc);
    out << v.bytes;
  }
  return dir + "/" + volumes.front().name;
}
