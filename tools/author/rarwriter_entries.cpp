#include "tools/author/rarwriter_entries.h"

#include <algorithm>

#include "tools/author/author_fs.h"

namespace author {
namespace {

bool Collect(const std::string& dir, const std::string& prefix, std::vector<rarwriter::Entry>& out) {
  std::vector<authorfs::DirEntry> children = authorfs::List(dir);
  std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const authorfs::DirEntry& child : children) {
    const std::string path = authorfs::Join(dir, child.name);
    rarwriter::Entry e;
    e.name = prefix + child.name;
    e.mtime = authorfs::ModTime(path);
    e.is_dir = child.isDir;
    if (child.isDir) {
      out.push_back(e);
      if (!Collect(path, e.name + "/", out)) return false;
      continue;
    }
    std::optional<std::string> bytes = authorfs::ReadBytes(path);
    if (!bytes) return false;
    e.data = std::move(*bytes);
    out.push_back(std::move(e));
  }
  return true;
}

}  // namespace

std::optional<std::vector<rarwriter::Entry>> FolderEntries(const std::string& folder) {
  std::vector<rarwriter::Entry> entries;
  if (!Collect(folder, "", entries)) return std::nullopt;
  return entries;
}

}  // namespace author
